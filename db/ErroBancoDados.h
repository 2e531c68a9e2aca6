#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The one error type of the database layer. Its message is what the operator sees: three
// bracketed tags followed by the server's own words (see FormatarMensagem). The codes stay on
// the object for callers that must tell one failure from another.
class EBancoDados : public std::runtime_error {
public:
    explicit EBancoDados(const std::string& mensagem, int codigoSql = 0,
                         std::vector<std::intptr_t> vetorStatus = {});

    // Builds the error from a Firebird status vector: the client's interpretation of every
    // message, one per line, and the text for the SQL code when there is one.
    static EBancoDados DoStatus(const std::intptr_t* vetorStatus);

    // An error the layer raises itself (no server status): same tags, our own words.
    static EBancoDados DaCamada(const std::string& texto);

    int CodigoSql() const noexcept { return FCodigoSql; }
    // The first engine error code of the status (isc_...), 0 when the error is our own.
    std::intptr_t CodigoMotor() const noexcept;
    // Whether any message of the status carries this engine error code.
    bool TemCodigo(std::intptr_t codigo) const noexcept;

    static constexpr const char* Prefixo = "[VorelDB][Phys][FB]";

private:
    int FCodigoSql;
    std::vector<std::intptr_t> FVetorStatus;
};
