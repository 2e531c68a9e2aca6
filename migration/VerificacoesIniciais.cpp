#include "VerificacoesIniciais.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "Firebird.h"
#include "NomeSql.h"
#include "ObservadorOcupado.h"
#include "ValorMensagem.h"

#include <vector>

using namespace Firebird;

namespace {

const char* const SQLVersao =
    "   select first 1 substring(NOME from 8 for 4) as VERSAO     from SCRIPTS    where NOME "
    "similar to '[[:DIGIT:]]{6}_[[:DIGIT:]]{4}.SQL' order by NOME desc";

// The server builds one update per column; names that need quotes get them there, the others
// are written as they are. Before each update the block hands out the table and the column it
// is about to fill, so that a failure (a lock another session holds on a row, a rule of the
// source) is known to lie in the last ones handed out.
std::string SQLPreencherCamposBooleanos()
{
    const std::string tabela = NomeSqlNoServidor("trim(RDB$RELATION_NAME)");
    const std::string campo = NomeSqlNoServidor("trim(RDB$FIELD_NAME)");
    return "execute block returns (TABELA varchar(31) character set UNICODE_FSS, CAMPO "
           "varchar(31) character set UNICODE_FSS) as  declare variable stmt varchar(1000); "
           "begin  for select trim(RDB$RELATION_NAME), trim(RDB$FIELD_NAME), 'update ' "
           "|| " + tabela + " || ' set ' || " + campo + " || ' = ''N'' where ' || " + campo +
           " || ' is null'        from RDB$RELATION_FIELDS       where "
           "trim(RDB$FIELD_SOURCE) = 'LOGICO'         and RDB$RELATION_NAME in (select "
           "RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is null and "
           "RDB$EXTERNAL_FILE is null)        into :TABELA, :CAMPO, :stmt  do  begin    "
           "suspend;    execute statement :stmt;  end end";
}

// Runs the NULL fill as one statement in one transaction, committed when every update has run
// and undone when one fails; the failure names the table and the column of that update.
void PreencherNaOrigem(TConexao& conexao, const std::string& sql)
{
    TTrabalhoBanco trabalho;
    std::string tabela, campo;
    try {
        conexao.Protegido([&] {
            TConexao::TEscopoTransacao escopo(conexao);
            fb::TStatus status;
            fb::TComando comando(conexao.Anexo()->prepare(
                &status, conexao.Transacao(), static_cast<unsigned>(sql.size()), sql.c_str(),
                TConexao::Dialeto, IStatement::PREPARE_PREFETCH_METADATA));
            fb::TMetadados meta(comando->getOutputMetadata(&status));
            std::vector<unsigned char> linha(meta->getMessageLength(&status));
            fb::TCursor cursor(comando->openCursor(&status, conexao.Transacao(), nullptr,
                                                   nullptr, meta.get(), 0));
            while (cursor->fetchNext(&status, linha.data()) == IStatus::RESULT_OK) {
                tabela = LerValorMensagem(meta.get(), 0, linha.data(), nullptr, nullptr).ComoTexto();
                campo = LerValorMensagem(meta.get(), 1, linha.data(), nullptr, nullptr).ComoTexto();
            }
            fb::Fechar(cursor, status);
            fb::Liberar(comando, status);
            escopo.Concluir();
        });
    } catch (EBancoDados& erro) {
        if (!tabela.empty()) {
            erro.DefinirTabela(tabela);
            erro.DefinirColuna(campo);
        }
        throw;
    }
}

// Reads a database's version; a database that cannot be read is named in the failure, since
// the server's words alone do not tell which of the two it was.
std::string LerVersaoDe(TConexao& conexao, const char* papel)
{
    try {
        return TVerificacoesIniciais::LerVersao(conexao);
    } catch (EBancoDados& erro) {
        erro.DefinirBanco(std::string("Banco de dados de ") + papel + " não pôde ser lido: " +
                          conexao.Banco());
        throw;
    }
}

} // namespace

std::string TVerificacoesIniciais::LerVersao(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLVersao);
    consulta.Abrir();
    return consulta.Campo(0).ComoTexto();
}

bool TVerificacoesIniciais::ValidarVersao()
{
    const std::string origem = LerVersaoDe(FContexto.ConexaoOrigem, "ORIGEM");
    const std::string destino = LerVersaoDe(FContexto.ConexaoDestino, "DESTINO");
    if (origem == destino)
        return true;
    FContexto.Acompanhamento.Relatorio().Abandonar(
        "Versão do banco de dados de ORIGEM (" + origem + ") e DESTINO (" + destino +
            ") devem ser iguais.",
        true);
    return false;
}

void TVerificacoesIniciais::PreencherCamposBooleanos()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog(
        "Preenchendo campos do tipo boleano (que estão nulos), na base de origem...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);
    static const std::string sql = SQLPreencherCamposBooleanos();
    PreencherNaOrigem(FContexto.ConexaoOrigem, sql);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
