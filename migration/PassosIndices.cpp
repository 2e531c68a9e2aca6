#include "PassosIndices.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ListaTextos.h"
#include "NomeSql.h"
#include "ProblemaVerificacao.h"
#include "RegistroChavesPendentes.h"

#include <algorithm>

namespace {

// A constraint's index (primary, unique or foreign key) is the constraint's own business.
const char* const SQLIndicesAtivos =
    "select trim(I.RDB$RELATION_NAME), trim(I.RDB$INDEX_NAME) from RDB$INDICES I "
    "where coalesce(I.RDB$SYSTEM_FLAG, 0) = 0 and coalesce(I.RDB$INDEX_INACTIVE, 0) = 0 "
    "and not exists (select 1 from RDB$RELATION_CONSTRAINTS RC "
    "where RC.RDB$INDEX_NAME = I.RDB$INDEX_NAME) "
    "order by 1, 2";

std::vector<TIndicePendente> LerAtivos(TConexao& destino)
{
    TConsulta consulta(&destino, SQLIndicesAtivos);
    consulta.Abrir();
    std::vector<TIndicePendente> indices;
    for (; !consulta.Eof(); consulta.Proximo())
        indices.push_back({consulta.Campo(0).ComoTexto(), consulta.Campo(1).ComoTexto()});
    return indices;
}

} // namespace

TPassosIndices::TPassosIndices(const TContextoMigracao& contexto) : FContexto(contexto)
{
}

std::set<std::string> TPassosIndices::Ativos(TConexao& destino)
{
    std::set<std::string> nomes;
    for (const TIndicePendente& indice : LerAtivos(destino))
        nomes.insert(indice.Tabela + "." + indice.Nome);
    return nomes;
}

void TPassosIndices::Desativar(const std::vector<std::string>& tabelas)
{
    FNaoReativados.clear();
    FFalharam.clear();
    TConexao& destino = FContexto.ConexaoDestino;
    TRegistroChavesPendentes registro(destino);
    FIndices = registro.Ler().Indices;
    std::vector<TIndicePendente> desativar;
    for (TIndicePendente& indice : LerAtivos(destino)) {
        if (std::find(tabelas.begin(), tabelas.end(), indice.Tabela) == tabelas.end())
            continue;
        desativar.push_back(indice);
        if (std::none_of(FIndices.begin(), FIndices.end(), [&indice](const TIndicePendente& i) {
                return i.Nome == indice.Nome;
            }))
            FIndices.push_back(std::move(indice));
    }
    if (desativar.empty())
        return;
    // Recorded before the first index goes inactive, so that no way of ending the run can
    // leave one inactive unknown to the next.
    registro.GravarIndices(FIndices);
    for (const TIndicePendente& indice : desativar) {
        FContexto.Cancelamento.Verificar();
        FContexto.Acompanhamento.AdicionarLog("Desativando índice... " + indice.Nome + " (" +
                                              indice.Tabela + ")");
        destino.Executar(indice.SQLDesativar());
    }
}

void TPassosIndices::Ativar(const std::string& tabela)
{
    for (auto indice = FIndices.begin(); indice != FIndices.end();) {
        if (indice->Tabela != tabela) {
            ++indice;
            continue;
        }
        Reativar(*indice);
        indice = FIndices.erase(indice);
    }
}

void TPassosIndices::Concluir()
{
    while (!FIndices.empty()) {
        Reativar(FIndices.front());
        FIndices.erase(FIndices.begin());
    }
    for (const std::string& linha : FNaoReativados)
        FContexto.Acompanhamento.AdicionarLog(linha);
    TRegistroChavesPendentes registro(FContexto.ConexaoDestino);
    if (!registro.Ler().Indices.empty())
        registro.GravarIndices(FFalharam);
}

void TPassosIndices::Reativar(const TIndicePendente& indice)
{
    FContexto.Cancelamento.Verificar();
    FContexto.Acompanhamento.AdicionarLog("Reativando índice... " + indice.Nome + " (" +
                                          indice.Tabela + ")");
    TConexao& destino = FContexto.ConexaoDestino;
    try {
        destino.Executar(indice.SQLAtivar());
    } catch (const EBancoDados& erro) {
        // Without the server nothing else can be done either.
        if (!destino.Conectado())
            throw;
        FFalharam.push_back(indice);
        FNaoReativados.push_back("Índice " + indice.Nome + " (" + indice.Tabela +
                                 ") não reativado: " + MotivoFalha(indice, erro));
        return;
    }
    TRegistroChavesPendentes(destino).Remover(indice);
}

// Repeated values under a unique index are the usual reason on customers' data: how many, and
// which. Any other failure is told in the server's words.
std::string TPassosIndices::MotivoFalha(const TIndicePendente& indice, const EBancoDados& erro)
{
    try {
        TConexao& destino = FContexto.ConexaoDestino;
        TConsulta segmentos(&destino,
                            "select trim(S.RDB$FIELD_NAME) from RDB$INDEX_SEGMENTS S "
                            "join RDB$INDICES I on I.RDB$INDEX_NAME = S.RDB$INDEX_NAME "
                            "where S.RDB$INDEX_NAME = " +
                                LiteralSql(indice.Nome) +
                                " and I.RDB$UNIQUE_FLAG = 1 order by S.RDB$FIELD_POSITION");
        segmentos.Abrir();
        std::vector<std::string> campos;
        for (; !segmentos.Eof(); segmentos.Proximo())
            campos.push_back(segmentos.Campo(0).ComoTexto());
        if (campos.empty())
            return erro.what();
        std::vector<std::string> colunas;
        std::vector<std::string> preenchidas;
        for (const std::string& campo : campos) {
            colunas.push_back(NomeSql(campo));
            preenchidas.push_back(NomeSql(campo) + " is not null");
        }
        // A row with a NULL in the key repeats nothing under a unique index.
        const std::string repetidas = " from " + NomeSql(indice.Tabela) + " where " +
                                      Juntar(preenchidas, " and ") + " group by " +
                                      Juntar(colunas, ", ") + " having count(*) > 1";
        TConsulta contagem(&destino, "select count(*) from (select 1 as X" + repetidas + ")");
        contagem.Abrir();
        const std::int64_t chaves = contagem.Campo(0).ComoInteiro64();
        if (chaves <= 0)
            return erro.what();
        TConsulta exemplos(&destino, "select first " +
                                         std::to_string(TProblemaVerificacao::MaximoChaves) +
                                         " " + Juntar(colunas, ", ") + repetidas + " order by " +
                                         Juntar(colunas, ", "));
        exemplos.Abrir();
        std::vector<std::string> textos;
        for (; !exemplos.Eof(); exemplos.Proximo()) {
            std::string texto;
            for (std::size_t i = 0; i < campos.size(); ++i)
                texto += (i ? " " : "") + campos[i] + "=" +
                         exemplos.Campo(static_cast<int>(i)).ComoTexto();
            textos.push_back(texto);
        }
        return "índice único com valores repetidos na tabela " + indice.Tabela + "; " +
               std::to_string(chaves) +
               (chaves == 1 ? " chave repetida (" : " chaves repetidas (") +
               Juntar(textos, "; ") + ").";
    } catch (const EBancoDados&) {
        return erro.what();
    }
}
