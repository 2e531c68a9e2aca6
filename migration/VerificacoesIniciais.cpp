#include "VerificacoesIniciais.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "NomeSql.h"

namespace {

const char* const SQLVersao =
    "   select first 1 substring(NOME from 8 for 4) as VERSAO     from SCRIPTS    where NOME "
    "similar to '[[:DIGIT:]]{6}_[[:DIGIT:]]{4}.SQL' order by NOME desc";

// The server builds one update per column; names that need quotes get them there, the others
// are written as they are.
std::string SQLPreencherCamposBooleanos()
{
    const std::string tabela = NomeSqlNoServidor("trim(RDB$RELATION_NAME)");
    const std::string campo = NomeSqlNoServidor("trim(RDB$FIELD_NAME)");
    return "execute block as  declare variable stmt varchar(1000); begin  for select 'update ' "
           "|| " + tabela + " || ' set ' || " + campo + " || ' = ''N'' where ' || " + campo +
           " || ' is null'        from RDB$RELATION_FIELDS       where "
           "trim(RDB$FIELD_SOURCE) = 'LOGICO'         and RDB$RELATION_NAME in (select "
           "RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is null and "
           "RDB$EXTERNAL_FILE is null)        into :stmt  do  begin    execute statement :stmt;  "
           "end end";
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
    FContexto.ConexaoOrigem.Executar(sql);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
