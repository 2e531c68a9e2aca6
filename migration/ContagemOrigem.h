#pragma once

#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TAcompanhamentoMigracao;
class TConexao;
struct TPerfilConexao;

// The source's rows of the tables a run copies, counted on an attachment of its own while the
// copy goes on, for the progress display: the total and each table's own. Counting is a read
// of every row, and the first read after the NULL fill also clears the row versions that fill
// left behind: done beside the copy, on another of the server's threads, it no longer delays
// the first table.
class TContagemOrigem {
public:
    // Starts counting these tables, in this order, on the source the connection names.
    TContagemOrigem(const TConexao& origem, std::vector<std::string> tabelas,
                    TAcompanhamentoMigracao& acompanhamento);
    // Stops after the table being counted and waits for it.
    ~TContagemOrigem();
    TContagemOrigem(const TContagemOrigem&) = delete;
    TContagemOrigem& operator=(const TContagemOrigem&) = delete;

    // The table's rows once counted, -1 before.
    std::int64_t Linhas(const std::string& tabela) const;
    // Waits for the count; a failure of it is the run's.
    void Concluir();

private:
    void Contar(const TPerfilConexao& perfil, const std::string& banco,
                TAcompanhamentoMigracao& acompanhamento);

    std::vector<std::string> FTabelas;
    mutable std::mutex FTrava;
    std::map<std::string, std::int64_t> FLinhas;
    std::atomic<bool> FAbandonar{false};
    std::future<void> FTarefa;
};
