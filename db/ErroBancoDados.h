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
    // Whether the server or the network dropped the attachment the failure came from.
    bool PerdaDeConexao() const noexcept;
    // Where in a block or trigger the server failed, one place a line as it gives them
    // ("At block line: 5, col: 1"); empty when it gave none.
    const std::string& Local() const noexcept { return FLocal; }

    // Where the failure happened, for the operator to find it: a line before the server's
    // text naming the database, lines after it naming the table, the column and the row's
    // primary key, or the trigger. Set while the error passes up through the code that knows
    // each of them.
    void DefinirBanco(const std::string& descricao);
    void DefinirTabela(const std::string& tabela);
    void DefinirColuna(const std::string& coluna);
    void DefinirChave(const std::string& chave);
    void DefinirGatilho(const std::string& gatilho);
    // The text the copy found too long for its column: the bare column name, its length in
    // characters and what the destination holds.
    void DefinirExcesso(const std::string& coluna, std::size_t caracteres, std::size_t capacidade);
    // Lines for the operator, in plain words, put before everything else.
    void DefinirOrientacao(const std::string& orientacao);

    const std::string& Tabela() const noexcept { return FTabela; }
    const std::string& Coluna() const noexcept { return FColuna; }
    const std::string& Chave() const noexcept { return FChave; }
    const std::string& ColunaExcedida() const noexcept { return FColunaExcedida; }
    std::size_t Caracteres() const noexcept { return FCaracteres; }
    std::size_t Capacidade() const noexcept { return FCapacidade; }
    bool TemOrientacao() const noexcept { return !FOrientacao.empty(); }
    // The numbers the server's message carries, in order (sizes, counts).
    std::vector<std::intptr_t> Numeros() const;

    const char* what() const noexcept override { return FCompleta.c_str(); }

    static constexpr const char* Prefixo = "[VorelDB][Phys][FB]";

private:
    void Compor();

    std::string FMensagem;
    std::string FOrientacao, FBanco, FTabela, FColuna, FChave, FGatilho, FColunaExcedida;
    std::size_t FCaracteres = 0;
    std::size_t FCapacidade = 0;
    std::string FCompleta;
    std::string FLocal;
    int FCodigoSql;
    std::vector<std::intptr_t> FVetorStatus;
};
