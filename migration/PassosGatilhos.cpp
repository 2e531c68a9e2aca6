#include "PassosGatilhos.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "NomeSql.h"

namespace {

// One "alter trigger" per trigger, built by the server; names that need quotes get them there,
// the others are written as they are.
std::string SQLAlterarGatilhos(const char* estado)
{
    return "execute block as    declare variable stmt varchar(1000); begin    for select 'alter "
           "trigger ' || " + NomeSqlNoServidor("trim(RDB$TRIGGER_NAME)") + " || ' " + estado +
           "'          from RDB$TRIGGERS         where RDB$TRIGGER_SOURCE is not null           "
           "and coalesce(RDB$SYSTEM_FLAG, 0) = 0           and RDB$TRIGGER_SOURCE not starting "
           "with 'CHECK' into :stmt    do    begin        execute statement :stmt;    end end";
}

} // namespace

void TPassosGatilhos::DesativarGatilhos()
{
    static const std::string sql = SQLAlterarGatilhos("inactive");
    Executar("Desativando gatilhos...", sql);
}

void TPassosGatilhos::AtivarGatilhos()
{
    static const std::string sql = SQLAlterarGatilhos("active;");
    Executar("Ativando gatilhos...", sql);
}

void TPassosGatilhos::Executar(const char* log, const std::string& sql)
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog(log);
    acompanhamento.Reiniciar(TBarra::Atual, 1);
    FContexto.ConexaoDestino.Executar(sql);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
