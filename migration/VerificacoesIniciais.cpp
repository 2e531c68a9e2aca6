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

// The server builds one update per table, which fills all of its yes/no columns in one pass
// over the rows that have a NULL in any of them: a table with several such columns is read and
// rewritten once, and leaves one back version per changed row to be collected, not one per
// column. A table with so many of them that the texts would pass the block's limits gets a
// further update for the columns beyond. Names that need quotes get them there, the others are written as they are. Before
// each update the block hands out the table and its columns, so that a failure (a lock another
// session holds on a row, a rule of the source) is known to lie in the last ones handed out.
std::string SQLPreencherCamposBooleanos()
{
    const std::string tabela = NomeSqlNoServidor("trim(RDB$RELATION_NAME)");
    const std::string campo = NomeSqlNoServidor("trim(RDB$FIELD_NAME)");
    const std::string atualizar = "execute statement 'update ' || tabelaSql || ' set ' || "
                                  "valores || ' where ' || nulos;";
    return "execute block returns (TABELA varchar(31) character set UNICODE_FSS, CAMPO "
           "varchar(8000) character set UNICODE_FSS) as "
           "declare variable nome varchar(31) character set UNICODE_FSS; "
           "declare variable coluna varchar(31) character set UNICODE_FSS; "
           "declare variable nomeSql varchar(70) character set UNICODE_FSS; "
           "declare variable colunaSql varchar(70) character set UNICODE_FSS; "
           "declare variable tabelaSql varchar(70) character set UNICODE_FSS; "
           "declare variable valores varchar(5400) character set UNICODE_FSS; "
           "declare variable nulos varchar(2700) character set UNICODE_FSS; "
           "begin "
           "for select trim(RDB$RELATION_NAME), " + tabela + ", trim(RDB$FIELD_NAME), " + campo +
           " from RDB$RELATION_FIELDS where trim(RDB$FIELD_SOURCE) = 'LOGICO' "
           "and RDB$RELATION_NAME in (select RDB$RELATION_NAME from RDB$RELATIONS "
           "where RDB$VIEW_BLR is null and RDB$EXTERNAL_FILE is null) "
           "order by RDB$RELATION_NAME, RDB$FIELD_POSITION "
           "into :nome, :nomeSql, :coluna, :colunaSql do begin "
           "if (TABELA is distinct from nome or char_length(valores) > 5200) then begin "
           "if (TABELA is not null) then begin suspend; " + atualizar + " end "
           "TABELA = nome; tabelaSql = nomeSql; CAMPO = coluna; "
           "valores = colunaSql || ' = coalesce(' || colunaSql || ', ''N'')'; "
           "nulos = colunaSql || ' is null'; "
           "end else begin "
           "CAMPO = CAMPO || ', ' || coluna; "
           "valores = valores || ', ' || colunaSql || ' = coalesce(' || colunaSql || ', ''N'')'; "
           "nulos = nulos || ' or ' || colunaSql || ' is null'; "
           "end end "
           "if (TABELA is not null) then begin suspend; " + atualizar + " end "
           "end";
}

// Runs the NULL fill as one statement in one transaction, committed when every update has run
// and undone when one fails; the failure names the table and the columns of that update.
void PreencherNaOrigem(TConexao& conexao, const std::string& sql)
{
    TTrabalhoBanco trabalho;
    std::string tabela, campo;
    try {
        TConexao::TEscopoTransacao escopo(conexao);
        conexao.Protegido([&] {
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
        });
        escopo.Concluir();
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
