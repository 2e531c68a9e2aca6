#include "PassosGatilhos.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "NomeSql.h"

namespace {

// Where the block notes the trigger it is altering: a session variable of the attachment, which
// outlives the rollback of a failed block.
const char* const NotaGatilho = "'USER_SESSION', 'VOREL_GATILHO'";

// One "alter trigger" per trigger, built by the server; names that need quotes get them there,
// the others are written as they are.
std::string SQLAlterarGatilhos(const char* estado)
{
    const std::string nota = NotaGatilho;
    return "execute block as    declare variable stmt varchar(1000);    declare variable "
           "gatilho varchar(63) character set UTF8;    declare variable nota integer; begin    "
           "nota = rdb$set_context(" + nota + ", null);    for select trim(RDB$TRIGGER_NAME), "
           "'alter trigger ' || " + NomeSqlNoServidor("trim(RDB$TRIGGER_NAME)") + " || ' " +
           estado + "'          from RDB$TRIGGERS         where RDB$TRIGGER_SOURCE is not null  "
           "         and coalesce(RDB$SYSTEM_FLAG, 0) = 0           and RDB$TRIGGER_SOURCE not "
           "starting with 'CHECK' into :gatilho, :stmt    do    begin        nota = "
           "rdb$set_context(" + nota + ", :gatilho);        execute statement :stmt;    end    "
           "nota = rdb$set_context(" + nota + ", null); end";
}

// Names in a failure of the block the trigger whose statement failed, as the block noted it.
// Without the note (the attachment is gone, say) the server's message goes as it is.
void NomearGatilho(TConexao& destino, EBancoDados& erro)
{
    try {
        TConsulta nota(&destino, std::string("select rdb$get_context(") + NotaGatilho +
                                     ") from RDB$DATABASE");
        nota.Abrir();
        if (!nota.Campo(0).EhNulo())
            erro.DefinirGatilho(nota.Campo(0).ComoTexto());
    } catch (const EBancoDados&) {
    }
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
    try {
        FContexto.ConexaoDestino.Executar(sql);
    } catch (EBancoDados& erro) {
        NomearGatilho(FContexto.ConexaoDestino, erro);
        throw;
    }
    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}
