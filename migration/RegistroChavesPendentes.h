#pragma once

#include "ChaveEstrangeira.h"

#include <string>
#include <vector>

// The foreign keys dropped from one destination and not yet created again, kept in a file of
// the user's own so that they outlive the process: a run that ends part way (a failure, a stop,
// the process killed, the server gone) leaves them there, and the next run on that destination,
// from either program, creates them again. The file is written before the first key is dropped
// and removed once every key exists again.
class TRegistroChavesPendentes {
public:
    // The destination as its path names it; every path naming the same file shares a record.
    explicit TRegistroChavesPendentes(const std::string& arquivoDestino);

    // The folder that holds every destination's record.
    static std::string Pasta();
    // This destination's record file (it exists only while keys are pending).
    const std::string& Arquivo() const noexcept { return FArquivo; }

    // The pending keys; none when there is no record. A record that cannot be read fails.
    std::vector<TChaveEstrangeira> Ler() const;
    // Replaces the record with these keys, all at once; no keys removes it.
    void Gravar(const std::vector<TChaveEstrangeira>& chaves) const;

private:
    std::string FBanco;
    std::string FArquivo;
};
