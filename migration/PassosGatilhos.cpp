#include "PassosGatilhos.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"

namespace {

const char* const SQLDesativarGatilhos =
    "execute block as    declare variable stmt varchar(1000); begin    for select 'alter "
    "trigger ' || trim(RDB$TRIGGER_NAME) || ' inactive'          from RDB$TRIGGERS         "
    "where RDB$TRIGGER_SOURCE is not null           and coalesce(RDB$SYSTEM_FLAG, 0) = 0     "
    "      and RDB$TRIGGER_SOURCE not starting with 'CHECK' into :stmt    do    begin        "
    "execute statement :stmt;    end end";

const char* const SQLAtivarGatilhos =
    "execute block as    declare variable stmt varchar(1000); begin    for select 'alter "
    "trigger ' || trim(RDB$TRIGGER_NAME) || ' active;'          from RDB$TRIGGERS         "
    "where RDB$TRIGGER_SOURCE is not null           and coalesce(RDB$SYSTEM_FLAG, 0) = 0     "
    "      and RDB$TRIGGER_SOURCE not starting with 'CHECK' into :stmt    do    begin        "
    "execute statement :stmt;    end end";

} // namespace

void TPassosGatilhos::DesativarGatilhos()
{
    Executar("Desativando gatilhos...", SQLDesativarGatilhos);
}

void TPassosGatilhos::AtivarGatilhos()
{
    Executar("Ativando gatilhos...", SQLAtivarGatilhos);
}

void TPassosGatilhos::Executar(const char* log, const char* sql)
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog(log);
    acompanhamento.Reiniciar(TBarra::Atual, 1);
    FContexto.ConexaoDestino.Executar(sql);
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
