#include "PassosGatilhos.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "NomeSql.h"
#include "RegistroChavesPendentes.h"

#include <set>

namespace {

// Where the block notes the trigger it is altering: a session variable of the attachment, which
// outlives the rollback of a failed block.
const char* const NotaGatilho = "'USER_SESSION', 'VOREL_GATILHO'";

// The triggers the run switches off and on: the user's own, none of those that enforce check
// constraints (the server's, whose source is the CHECK clause).
const char* const SQLDoUsuario =
    "RDB$TRIGGER_SOURCE is not null and coalesce(RDB$SYSTEM_FLAG, 0) = 0 and "
    "RDB$TRIGGER_SOURCE not starting with 'CHECK'";

// One "alter trigger" per trigger, built by the server; names that need quotes get them there,
// the others are written as they are.
std::string SQLAlterarGatilhos(const char* estado)
{
    const std::string nota = NotaGatilho;
    return "execute block as    declare variable stmt varchar(1000);    declare variable "
           "gatilho varchar(63) character set UTF8;    declare variable nota integer; begin    "
           "nota = rdb$set_context(" + nota + ", null);    for select trim(RDB$TRIGGER_NAME), "
           "'alter trigger ' || " + NomeSqlNoServidor("trim(RDB$TRIGGER_NAME)") + " || ' " +
           estado + "'          from RDB$TRIGGERS         where " + SQLDoUsuario +
           " into :gatilho, :stmt    do    begin        nota = "
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
    TConexao& destino = FContexto.ConexaoDestino;
    TRegistroChavesPendentes registro(destino);
    const TLeituraChavesPendentes leitura = registro.Ler();
    const std::set<std::string> nossos(leitura.Gatilhos.begin(), leitura.Gatilhos.end());
    TConsulta consulta(&destino, std::string("select trim(RDB$TRIGGER_NAME), "
                                             "trim(RDB$RELATION_NAME), RDB$TRIGGER_INACTIVE "
                                             "from RDB$TRIGGERS where ") +
                                     SQLDoUsuario + " order by 2, 1");
    consulta.Abrir();
    FInativosAntes.clear();
    std::vector<std::string> desligados;
    for (; !consulta.Eof(); consulta.Proximo()) {
        const std::string nome = consulta.Campo(0).ComoTexto();
        if (consulta.Campo(2).ComoInteiro() == 1 && !nossos.count(nome))
            FInativosAntes.push_back({nome, consulta.Campo(1).ComoTexto()});
        else
            desligados.push_back(nome);
    }
    // A damaged record is left as it is for the step that drops the keys, which refuses it or
    // puts it aside; only then could the triggers be written to it.
    if (leitura.Danos.empty())
        registro.Gravar(leitura.Chaves, leitura.Indices, leitura.EscritaForcada, desligados);
    static const std::string sql = SQLAlterarGatilhos("inactive");
    Executar("Desativando gatilhos...", sql);
}

void TPassosGatilhos::AtivarGatilhos()
{
    static const std::string sql = SQLAlterarGatilhos("active;");
    Executar("Ativando gatilhos...", sql);
    for (const TGatilho& gatilho : FInativosAntes)
        FContexto.Acompanhamento.AdicionarLog(
            "Gatilho ativado que estava inativo no DESTINO: " + gatilho.Nome +
            (gatilho.Tabela.empty() ? "" : " (" + gatilho.Tabela + ")") + ".");
    TRegistroChavesPendentes registro(FContexto.ConexaoDestino);
    const TLeituraChavesPendentes leitura = registro.Ler();
    try {
        registro.Gravar(leitura.Chaves, leitura.Indices, leitura.EscritaForcada, {});
    } catch (const EBancoDados& erro) {
        // Nothing else pending, the table only awaits its drop: the next run drops it.
        if (!leitura.Chaves.empty() || !leitura.Indices.empty() || leitura.EscritaForcada ||
            !FContexto.ConexaoDestino.Conectado())
            throw;
        FContexto.Acompanhamento.AdicionarLog(std::string("Atenção: a tabela ") +
                                              TRegistroChavesPendentes::Tabela +
                                              " não pôde ser excluída do DESTINO; a próxima "
                                              "importação a exclui. " +
                                              erro.what());
    }
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
