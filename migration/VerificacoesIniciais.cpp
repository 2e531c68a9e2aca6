#include "VerificacoesIniciais.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"

namespace {

const char* const SQLVersao =
    "   select first 1 substring(NOME from 8 for 4) as VERSAO     from SCRIPTS    where NOME "
    "similar to '[[:DIGIT:]]{6}_[[:DIGIT:]]{4}.SQL' order by NOME desc";

const char* const SQLPreencherCamposBooleanos =
    "execute block as  declare variable stmt varchar(1000); begin  for select 'update ' || "
    "trim(RDB$RELATION_NAME) || ' set ' || trim(RDB$FIELD_NAME) || ' = ''N'' where ' || "
    "trim(RDB$FIELD_NAME) || ' is null'        from RDB$RELATION_FIELDS       where "
    "trim(RDB$FIELD_SOURCE) = 'LOGICO'         and RDB$RELATION_NAME in (select "
    "RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is null and RDB$EXTERNAL_FILE "
    "is null)        into :stmt  do  begin    execute statement :stmt;  end end";

} // namespace

std::string TVerificacoesIniciais::LerVersao(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLVersao);
    consulta.Abrir();
    return consulta.Campo(0).ComoTexto();
}

bool TVerificacoesIniciais::ValidarVersao()
{
    const std::string origem = LerVersao(FContexto.ConexaoOrigem);
    const std::string destino = LerVersao(FContexto.ConexaoDestino);
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
    FContexto.ConexaoOrigem.Executar(SQLPreencherCamposBooleanos);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
