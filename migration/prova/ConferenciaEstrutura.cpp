#include "ConferenciaEstrutura.h"

#include "ChaveEstrangeira.h"
#include "Conexao.h"
#include "Consulta.h"
#include "LeituraProva.h"
#include "ListaTextos.h"
#include "PassosChavesEstrangeiras.h"
#include "RegistroChavesPendentes.h"
#include "ReplicacaoCadastros.h"
#include "ReplicacaoTabelas.h"

#include <algorithm>
#include <cstdint>
#include <future>
#include <map>
#include <set>
#include <utility>

namespace {

// User triggers, the check constraints' own left out (the server makes those, and the run
// never touches them).
const char* const SQLGatilhos =
    "  select trim(T.RDB$TRIGGER_NAME), trim(T.RDB$RELATION_NAME), T.RDB$TRIGGER_TYPE,\r\n"
    "         T.RDB$TRIGGER_SEQUENCE\r\n"
    "    from RDB$TRIGGERS T\r\n"
    "   where coalesce(T.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "     and not exists (select 1 from RDB$CHECK_CONSTRAINTS C\r\n"
    "                      where C.RDB$TRIGGER_NAME = T.RDB$TRIGGER_NAME)\r\n"
    "order by 1\r\n";

// The same triggers' sources, as bytes: read as text they would pass through the
// connection's WIN1252, which refuses any character it lacks. In pieces of 8,000 characters,
// which a varchar of bytes holds in any character set the server keeps them in.
const char* const SQLFontesGatilhos =
    "execute block returns (NOME varchar(63) character set UTF8,\r\n"
    "                       TEXTO varchar(32765) character set OCTETS)\r\n"
    "as\r\n"
    "  declare FONTE blob sub_type text character set UTF8;\r\n"
    "  declare I integer;\r\n"
    "begin\r\n"
    "  for select trim(T.RDB$TRIGGER_NAME), T.RDB$TRIGGER_SOURCE\r\n"
    "        from RDB$TRIGGERS T\r\n"
    "       where coalesce(T.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "         and T.RDB$TRIGGER_SOURCE is not null\r\n"
    "       order by 1\r\n"
    "        into NOME, FONTE do\r\n"
    "  begin\r\n"
    "    I = 0;\r\n"
    "    while (I < char_length(FONTE)) do\r\n"
    "    begin\r\n"
    "      TEXTO = substring(FONTE from I + 1 for 8000);\r\n"
    "      suspend;\r\n"
    "      I = I + 8000;\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

const char* const SQLTabelas = "select trim(RDB$RELATION_NAME) from RDB$RELATIONS "
                               "where RDB$VIEW_BLR is null and coalesce(RDB$SYSTEM_FLAG, 0) = 0";

struct TGatilho {
    std::string Tabela; // empty for a database trigger
    std::int64_t Tipo = 0;
    std::int64_t Posicao = 0;
    std::string Fonte;
};

// What one side holds of the structure compared.
struct TEstrutura {
    std::set<std::string> Tabelas;
    std::vector<TChaveEstrangeira> Chaves;
    std::map<std::string, TGatilho> Gatilhos;
    std::vector<TChaveEstrangeira> Pendentes; // the destination's record of dropped keys
    bool Replicacao = false;                  // the source's companies replicate
};

// The source text as the server keeps it, but for the line ends an editor or a tool may have
// changed and the blanks at the end of a line or of the text.
std::string FonteNormalizada(const std::string& fonte)
{
    std::string texto;
    std::string linha;
    const auto fecharLinha = [&] {
        linha.erase(linha.find_last_not_of(" \t") + 1);
        texto += linha + '\n';
        linha.clear();
    };
    for (std::size_t i = 0; i < fonte.size(); ++i) {
        if (fonte[i] == '\r' || fonte[i] == '\n') {
            if (fonte[i] == '\r' && i + 1 < fonte.size() && fonte[i + 1] == '\n')
                ++i;
            fecharLinha();
        } else {
            linha += fonte[i];
        }
    }
    fecharLinha();
    texto.erase(texto.find_last_not_of(" \t\n") + 1);
    return texto;
}

// The kind of trigger in the words of the statement that creates it.
std::string DescreverTipo(std::int64_t tipo)
{
    static const char* const acoesDml[] = {"", "insert", "update", "delete"};
    static const char* const acoesBanco[] = {"connect", "disconnect", "transaction start",
                                             "transaction commit", "transaction rollback"};
    if (tipo >= 1 && tipo < 8192) {
        // One action per slot of two bits, from bit 1 on; the phase is the lowest bit, less one.
        const std::int64_t codigo = tipo + 1;
        std::vector<std::string> acoes;
        for (int posicao = 1; posicao <= 5; posicao += 2)
            if (const std::int64_t acao = (codigo >> posicao) & 3)
                acoes.push_back(acoesDml[acao]);
        return std::string(codigo & 1 ? "after " : "before ") + Juntar(acoes, " or ");
    }
    if (tipo >= 8192 && tipo < 8192 + 5)
        return std::string("on ") + acoesBanco[tipo - 8192];
    return (tipo & 16384 ? "DDL " : "") + std::to_string(tipo);
}

TEstrutura LerEstrutura(TConexao& conexao, bool destino)
{
    TEstrutura estrutura;
    {
        TConsulta tabelas(&conexao, SQLTabelas);
        tabelas.Abrir();
        for (; !tabelas.Eof(); tabelas.Proximo())
            estrutura.Tabelas.insert(tabelas.Campo(0).ComoTexto());
    }
    estrutura.Chaves = TPassosChavesEstrangeiras::ChavesDe(conexao);
    TConsulta gatilhos(&conexao, SQLGatilhos);
    gatilhos.Abrir();
    for (; !gatilhos.Eof(); gatilhos.Proximo())
        estrutura.Gatilhos[gatilhos.Campo(0).ComoTexto()] = {
            gatilhos.Campo(1).ComoTexto(), gatilhos.Campo(2).ComoInteiro64(),
            gatilhos.Campo(3).ComoInteiro64(), {}};
    TConsulta fontes(&conexao, SQLFontesGatilhos);
    fontes.Abrir();
    for (; !fontes.Eof(); fontes.Proximo()) {
        const auto gatilho = estrutura.Gatilhos.find(fontes.Campo(0).ComoTexto());
        if (gatilho != estrutura.Gatilhos.end())
            gatilho->second.Fonte += fontes.Campo(1).ComoTexto();
    }
    for (auto& [nome, gatilho] : estrutura.Gatilhos)
        gatilho.Fonte = FonteNormalizada(gatilho.Fonte);
    if (destino) {
        estrutura.Pendentes = TRegistroChavesPendentes(conexao).Ler().Chaves;
    } else {
        // A database without the companies' table has no replication to speak of.
        estrutura.Replicacao =
            estrutura.Tabelas.count("EMPRESAS") && TReplicacaoCadastros::EmUso(conexao);
    }
    return estrutura;
}

using TPorDefinicao = std::map<std::string, std::vector<const TChaveEstrangeira*>>;

TPorDefinicao PorDefinicao(const std::vector<TChaveEstrangeira>& chaves)
{
    TPorDefinicao porDefinicao;
    for (const TChaveEstrangeira& chave : chaves)
        porDefinicao[chave.Definicao()].push_back(&chave);
    return porDefinicao;
}

// The keys of `de` that `em` lacks, counted as a multiset of definitions, over tables `em` has.
// Of keys with the same definition, those named as one of `em` are the ones it has.
std::vector<const TChaveEstrangeira*> Sobrando(const TPorDefinicao& de, const TPorDefinicao& em,
                                               const std::set<std::string>& tabelasEm)
{
    std::vector<const TChaveEstrangeira*> sobrando;
    for (const auto& [definicao, chaves] : de) {
        const auto achadas = em.find(definicao);
        std::vector<const TChaveEstrangeira*> semPar = chaves;
        if (achadas != em.end()) {
            std::set<std::string> nomes;
            for (const TChaveEstrangeira* chave : achadas->second)
                nomes.insert(chave->Nome);
            std::stable_partition(semPar.begin(), semPar.end(),
                                  [&nomes](const TChaveEstrangeira* chave) {
                                      return nomes.count(chave->Nome) > 0;
                                  });
            semPar.erase(semPar.begin(),
                         semPar.begin() + std::min(semPar.size(), achadas->second.size()));
        }
        for (const TChaveEstrangeira* chave : semPar)
            if (tabelasEm.count(chave->Tabela) && tabelasEm.count(chave->TabelaReferenciada))
                sobrando.push_back(chave);
    }
    return sobrando;
}

std::vector<std::string> CompararChaves(const TEstrutura& origem, const TEstrutura& destino)
{
    std::vector<const TChaveEstrangeira*> soOrigem =
        Sobrando(PorDefinicao(origem.Chaves), PorDefinicao(destino.Chaves), destino.Tabelas);
    const std::vector<const TChaveEstrangeira*> soDestino =
        Sobrando(PorDefinicao(destino.Chaves), PorDefinicao(origem.Chaves), origem.Tabelas);

    // A key the record still holds is named by the proof as pending.
    std::map<std::string, std::size_t> pendentes;
    for (const TChaveEstrangeira& chave : destino.Pendentes)
        ++pendentes[chave.Definicao()];
    std::erase_if(soOrigem, [&pendentes](const TChaveEstrangeira* chave) {
        const auto pendente = pendentes.find(chave->Definicao());
        if (pendente == pendentes.end() || pendente->second == 0)
            return false;
        --pendente->second;
        return true;
    });

    // A key over the same columns in the destination that differs elsewhere (its rules, what
    // it references) is shown beside the source's.
    std::vector<std::string> diferencas;
    std::set<const TChaveEstrangeira*> pareadas;
    for (const TChaveEstrangeira* chave : soOrigem) {
        const TChaveEstrangeira* par = nullptr;
        for (const TChaveEstrangeira* candidata : soDestino)
            if (!pareadas.count(candidata) && candidata->Tabela == chave->Tabela &&
                candidata->Campos == chave->Campos) {
                par = candidata;
                break;
            }
        if (par) {
            pareadas.insert(par);
            diferencas.push_back("Chave estrangeira diferente no DESTINO: ORIGEM " +
                                 chave->SQLCriar() + "; DESTINO " + par->SQLCriar() + ".");
        } else {
            diferencas.push_back("Chave estrangeira da ORIGEM ausente no DESTINO: " +
                                 chave->SQLCriar() + ".");
        }
    }
    return diferencas;
}

std::string ComTabela(const std::string& gatilho, const TGatilho& definicao)
{
    return definicao.Tabela.empty() ? gatilho : gatilho + " (" + definicao.Tabela + ")";
}

std::vector<std::string> CompararGatilhos(const TEstrutura& origem, const TEstrutura& destino)
{
    // Every name the replication gives a trigger, with the table it is for.
    std::map<std::string, std::string> replicacao;
    for (const auto& tabela : CriarTabelasReplicacao())
        replicacao[tabela->NomeGatilhoReplicacao()] = tabela->Nome();

    std::vector<std::string> diferencas;
    for (const auto& [nome, gatilho] : origem.Gatilhos) {
        if (replicacao.count(nome) ||
            (!gatilho.Tabela.empty() && !destino.Tabelas.count(gatilho.Tabela)))
            continue;
        const auto achado = destino.Gatilhos.find(nome);
        if (achado == destino.Gatilhos.end()) {
            diferencas.push_back("Gatilho da ORIGEM ausente no DESTINO: " +
                                 ComTabela(nome, gatilho) + ".");
            continue;
        }
        const TGatilho& outro = achado->second;
        std::vector<std::string> partes;
        if (outro.Tabela != gatilho.Tabela)
            partes.push_back("tabela (ORIGEM " + gatilho.Tabela + ", DESTINO " + outro.Tabela + ")");
        if (outro.Tipo != gatilho.Tipo)
            partes.push_back("tipo (ORIGEM " + DescreverTipo(gatilho.Tipo) + ", DESTINO " +
                             DescreverTipo(outro.Tipo) + ")");
        if (outro.Posicao != gatilho.Posicao)
            partes.push_back("posição (ORIGEM " + std::to_string(gatilho.Posicao) + ", DESTINO " +
                             std::to_string(outro.Posicao) + ")");
        if (outro.Fonte != gatilho.Fonte)
            partes.push_back("código-fonte diferente");
        if (!partes.empty())
            diferencas.push_back("Gatilho " + ComTabela(nome, gatilho) + " diferente no DESTINO: " +
                                 Juntar(partes, "; ") + ".");
    }

    if (origem.Replicacao)
        for (const auto& [nome, tabela] : replicacao) {
            const auto achado = destino.Gatilhos.find(nome);
            if (destino.Tabelas.count(tabela) &&
                (achado == destino.Gatilhos.end() || achado->second.Tabela != tabela))
                diferencas.push_back("Gatilho da replicação ausente no DESTINO: " + nome + " (" +
                                     tabela + ").");
        }
    return diferencas;
}

} // namespace

std::vector<std::string> TConferenciaEstrutura::Diferencas()
{
    auto lerOrigem = std::async(std::launch::async, [this] {
        return EmLeitura(FOrigem, [](TConexao& c) { return LerEstrutura(c, false); });
    });
    const TEstrutura destino =
        EmLeitura(FDestino, [](TConexao& c) { return LerEstrutura(c, true); });
    const TEstrutura origem = lerOrigem.get();

    std::vector<std::string> diferencas = CompararChaves(origem, destino);
    for (std::string& linha : CompararGatilhos(origem, destino))
        diferencas.push_back(std::move(linha));
    return diferencas;
}
