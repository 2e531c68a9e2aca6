#include "LeituraProva.h"

#include "Consulta.h"

TLeitura::~TLeitura()
{
    // Reached with the transaction open only when the reading failed: its own failure is what
    // the caller sees.
    try {
        FConexao.Rollback();
    } catch (const EBancoDados&) {
    }
}

std::vector<std::int64_t> LerLinha(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    std::vector<std::int64_t> valores;
    for (std::size_t i = 0; i < consulta.NomesColunas().size(); ++i)
        valores.push_back(consulta.Campo(static_cast<int>(i)).ComoInteiro64());
    return valores;
}
