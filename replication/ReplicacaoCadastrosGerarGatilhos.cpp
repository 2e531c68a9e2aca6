#include "ReplicacaoCadastrosGerarGatilhos.h"

#include "Conexao.h"
#include "Consulta.h"
#include "MensagensJanela.h"
#include "ReceptorReplicacao.h"
#include "RelatorioFalhaGatilhoFluxo.h"

#include <exception>
#include <iostream>

namespace {

constexpr const char* FimLinha = "\r\n";

const std::string SQLTabelaExiste =
    "select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = :TABELA";

} // namespace

TReplicacaoCadastrosGerarGatilhos::TReplicacaoCadastrosGerarGatilhos(
    TConexao& conexao, IReceptorReplicacao* receptor, IRelatorioFalhaGatilho* relatorio)
    : TReplicacaoCadastros(conexao, receptor), FRelatorio(relatorio)
{
}

// Each trigger commits on its own, so one the server rejects leaves the others in place; it is
// reported with its statement, for the operator to see what was refused, and the run goes on.
// A table the catalogue already shows unfit gets no statement at all: the server could only
// answer it with a syntax error that hides the cause.
void TReplicacaoCadastrosGerarGatilhos::Execute()
{
    TRelatorioFalhaGatilhoFluxo saidaErro(std::cerr);
    IRelatorioFalhaGatilho& relatorio = FRelatorio ? *FRelatorio : saidaErro;

    for (const auto& tabela : FLista) {
        std::string motivo;
        std::string sql;
        try {
            if (FReceptor)
                FReceptor->Notificar(WM_REPLICACAO_TABELA, *tabela);
            motivo = Impedimento(*tabela);
            if (motivo.empty()) {
                FConexao.Executar(tabela->GetSQLGatilho());
                continue;
            }
        } catch (const std::exception& erro) {
            motivo = erro.what();
            sql = tabela->GetSQLGatilho();
        }
        relatorio.FalhaGatilho(tabela->Nome(),
                               tabela->Nome() + FimLinha + motivo + FimLinha + sql);
    }
}

// No columns loaded may also mean that every column is ignored; only the database's catalogue
// tells that apart from a missing table.
std::string TReplicacaoCadastrosGerarGatilhos::Impedimento(const TReplicacaoTabela& tabela)
{
    if (tabela.Campos().empty() && !TabelaExiste(tabela.Nome()))
        return "a tabela " + tabela.Nome() + " não existe no banco de dados";
    if (tabela.CamposChavePrimaria().empty())
        return "a tabela " + tabela.Nome() + " não tem chave primária";
    return {};
}

bool TReplicacaoCadastrosGerarGatilhos::TabelaExiste(const std::string& nome)
{
    TConsulta consulta(&FConexao, SQLTabelaExiste);
    consulta.Parametro("TABELA", nome);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro() > 0;
}
