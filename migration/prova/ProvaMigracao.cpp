#include "ProvaMigracao.h"

#include "ConferenciaEstrutura.h"
#include "Conexao.h"
#include "Consulta.h"
#include "LeituraProva.h"
#include "NomeSql.h"
#include "PassosChavesEstrangeiras.h"
#include "PassosIndices.h"
#include "RegistroChavesPendentes.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <future>
#include <optional>
#include <set>
#include <utility>

namespace {

using TLado = TTabelaProva::TLado;

// Tables the tool keeps for itself in the destination: never copied, never proven.
const char* const TabelasDaFerramenta[] = {"NEWDATABASE_CHAVES_PENDENTES"};

// The same reading on both databases at once, each on its own attachment: the source's on a
// thread of its own, the destination's on the caller's. Returns the source's result first.
// The function begins its own transactions.
template <typename TFuncao>
auto NosDoisLadosSemLeitura(TConexao& origem, TConexao& destino, TFuncao funcao)
{
    auto futuro = std::async(std::launch::async,
                             [&origem, &funcao] { return funcao(origem, TLado::Origem); });
    auto doDestino = funcao(destino, TLado::Destino);
    return std::make_pair(futuro.get(), std::move(doDestino));
}

// The same, each side in one read-only snapshot.
template <typename TFuncao>
auto NosDoisLados(TConexao& origem, TConexao& destino, TFuncao funcao)
{
    return NosDoisLadosSemLeitura(origem, destino, [&funcao](TConexao& conexao, TLado lado) {
        return EmLeitura(conexao, [&](TConexao& c) { return funcao(c, lado); });
    });
}

std::string TextoChave(const TTabelaProva& tabela, const TConsulta& consulta)
{
    std::string texto;
    for (std::size_t k = 0; k < tabela.Chave.size(); ++k)
        texto += (k ? " " : "") + tabela.Colunas[tabela.Chave[k]].Nome + "=" +
                 consulta.Campo(static_cast<int>(k)).ComoTexto();
    return texto;
}

// Sequence values by name, read in one statement per two hundred sequences.
std::map<std::string, std::int64_t> ValoresSequenciadores(TConexao& conexao,
                                                          const std::vector<std::string>& nomes)
{
    std::map<std::string, std::int64_t> valores;
    const std::size_t porVez = 200;
    for (std::size_t inicio = 0; inicio < nomes.size(); inicio += porVez) {
        const std::size_t fim = std::min(nomes.size(), inicio + porVez);
        std::string sql = "select ";
        for (std::size_t i = inicio; i < fim; ++i)
            sql += std::string(i > inicio ? ", " : "") + "gen_id(" + NomeSql(nomes[i]) + ", 0)";
        const std::vector<std::int64_t> lidos = LerLinha(conexao, sql + " from RDB$DATABASE");
        for (std::size_t i = inicio; i < fim; ++i)
            valores[nomes[i]] = lidos[i - inicio];
    }
    return valores;
}

std::vector<std::string> Nomes(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    std::vector<std::string> nomes;
    for (; !consulta.Eof(); consulta.Proximo())
        nomes.push_back(consulta.Campo(0).ComoTexto());
    return nomes;
}

// Identity columns by "TABELA.COLUNA", with the sequence behind each.
std::map<std::string, std::string> Identidades(TConexao& conexao)
{
    TConsulta consulta(&conexao,
                       "select trim(RDB$RELATION_NAME), trim(RDB$FIELD_NAME), "
                       "trim(RDB$GENERATOR_NAME) from RDB$RELATION_FIELDS "
                       "where RDB$IDENTITY_TYPE is not null and RDB$GENERATOR_NAME is not null");
    consulta.Abrir();
    std::map<std::string, std::string> identidades;
    for (; !consulta.Eof(); consulta.Proximo())
        identidades[consulta.Campo(0).ComoTexto() + "." + consulta.Campo(1).ComoTexto()] =
            consulta.Campo(2).ComoTexto();
    return identidades;
}

} // namespace

TProvaMigracao::TProvaMigracao(TConexao& origem, TConexao& destino)
    : FOrigem(origem), FDestino(destino)
{
}

void TProvaMigracao::Reiniciar()
{
    FTabelas.clear();
    FCatalogoLido = false;
    FIndicesAtivos.clear();
    FEscritaForcadaEsperada = false;
    FAntecipadas.clear();
    FMarcasMantidas.clear();
}

void TProvaMigracao::LerCatalogo()
{
    if (FCatalogoLido)
        return;
    const TCatalogoRelacoes origem =
        EmLeitura(FOrigem, [](TConexao& c) { return LerCatalogoRelacoes(c); });
    FTabelas = EmLeitura(FDestino, [&origem](TConexao& c) { return LerTabelasProva(c, origem); });
    FCatalogoLido = true;
}

const TTabelaProva& TProvaMigracao::Tabela(const std::string& nome)
{
    LerCatalogo();
    const auto achada = FTabelas.find(nome);
    if (achada == FTabelas.end())
        throw EBancoDados::DaCamada("A tabela " + nome + " não existe no DESTINO.");
    return achada->second;
}

std::vector<std::string> TProvaMigracao::TabelasCopiadas(const TListaTextos& excecoes)
{
    LerCatalogo();
    std::vector<std::string> tabelas;
    for (const auto& tabela : FTabelas)
        if (!excecoes.Contem(tabela.first) && !DaFerramenta(tabela.first))
            tabelas.push_back(tabela.first);
    return tabelas;
}

bool TProvaMigracao::DaFerramenta(const std::string& tabela)
{
    return std::find(std::begin(TabelasDaFerramenta), std::end(TabelasDaFerramenta), tabela) !=
           std::end(TabelasDaFerramenta);
}

std::vector<TVereditoTabela> TProvaMigracao::CompararTabelas(
    const std::vector<std::string>& nomes, bool procurarChaves)
{
    std::vector<const TTabelaProva*> tabelas;
    for (const std::string& nome : nomes)
        tabelas.push_back(&Tabela(nome));
    // A table whose digest fails on one side (a source value its destination type cannot
    // hold) is a table that differs, not a proof that ends: the others are still read.
    struct TResumo {
        std::vector<std::int64_t> Valores{0};
        std::string Falha;
    };
    const auto [origem, destino] =
        NosDoisLados(FOrigem, FDestino, [&tabelas](TConexao& conexao, TLado lado) {
            std::vector<TResumo> resumos;
            for (const TTabelaProva* tabela : tabelas) {
                TResumo resumo;
                try {
                    resumo.Valores = LerLinha(conexao, tabela->SQLResumo(lado));
                } catch (const EBancoDados& erro) {
                    resumo.Falha = std::string(lado == TLado::Origem ? "ORIGEM: " : "DESTINO: ") +
                                   erro.what();
                }
                resumos.push_back(std::move(resumo));
            }
            return resumos;
        });
    std::vector<TVereditoTabela> vereditos;
    for (std::size_t t = 0; t < tabelas.size(); ++t) {
        TVereditoTabela veredito;
        veredito.Tabela = tabelas[t]->Nome;
        veredito.LinhasOrigem = origem[t].Valores[0];
        veredito.LinhasDestino = destino[t].Valores[0];
        veredito.Falha = origem[t].Falha.empty() ? destino[t].Falha : origem[t].Falha;
        veredito.Igual = veredito.Falha.empty() && origem[t].Valores == destino[t].Valores;
        if (!veredito.Igual && veredito.Falha.empty() && procurarChaves &&
            !tabelas[t]->Chave.empty())
            ProcurarChaves(*tabelas[t], veredito);
        vereditos.push_back(std::move(veredito));
    }
    return vereditos;
}

std::pair<std::vector<std::int64_t>, std::vector<std::int64_t>>
TProvaMigracao::Contagens(const std::vector<std::string>& nomes)
{
    return NosDoisLados(FOrigem, FDestino, [&nomes](TConexao& conexao, TLado) {
        std::vector<std::int64_t> contagens;
        for (const std::string& nome : nomes)
            contagens.push_back(LerLinha(conexao, "select count(*) from " + NomeSql(nome)).at(0));
        return contagens;
    });
}

std::pair<std::vector<TMarcaTabela>, std::vector<TMarcaTabela>>
TProvaMigracao::Marcas(const std::vector<std::string>& nomes)
{
    std::vector<const TTabelaProva*> tabelas;
    for (const std::string& nome : nomes)
        tabelas.push_back(&Tabela(nome));
    return NosDoisLados(FOrigem, FDestino, [&tabelas](TConexao& conexao, TLado) {
        std::vector<TMarcaTabela> marcas;
        for (const TTabelaProva* tabela : tabelas) {
            const std::vector<std::int64_t> valores = LerLinha(conexao, tabela->SQLMarca());
            marcas.push_back({valores.at(0), valores.at(1)});
        }
        return marcas;
    });
}

std::vector<TVereditoTabela> TProvaMigracao::TabelasIguais(const std::vector<std::string>& nomes)
{
    for (const std::string& nome : nomes)
        Tabela(nome);
    // A table the destination holds no row of is refilled whatever the source holds: it is
    // not counted at all. On a first run that spares reading every table of the source once
    // more (the first read after the NULL fill, which pays for that fill's old row versions).
    std::vector<std::string> ocupadas;
    for (const std::string& nome : nomes)
        if (LerLinha(FDestino, "select count(*) from RDB$DATABASE where exists (select 1 from " +
                                   NomeSql(nome) + ")")
                .at(0) > 0)
            ocupadas.push_back(nome);
    // Counts next: they rule out most tables that differ for a fraction of a digest's cost.
    const auto [origem, destino] = Contagens(ocupadas);
    std::vector<std::string> candidatas;
    for (std::size_t t = 0; t < ocupadas.size(); ++t)
        if (origem[t] == destino[t] && origem[t] > 0)
            candidatas.push_back(ocupadas[t]);
    // Each digest is read with its table's mark, so that the end can tell whether anything
    // wrote a kept table since; a table whose mark cannot tell that is digested again then.
    std::vector<const TTabelaProva*> tabelas;
    for (const std::string& nome : candidatas)
        tabelas.push_back(&Tabela(nome));
    using TLeituras = std::vector<std::optional<TLeituraLado>>;
    const auto [lidasOrigem, lidasDestino] =
        NosDoisLadosSemLeitura(FOrigem, FDestino, [&tabelas](TConexao& conexao, TLado lado) {
            TLeituras leituras;
            for (const TTabelaProva* tabela : tabelas) {
                try {
                    leituras.emplace_back(LerLadoMarcado(conexao, *tabela, lado));
                } catch (const EBancoDados&) {
                    // A value the destination's type cannot hold: the table is refilled.
                    if (!conexao.Conectado())
                        throw;
                    leituras.push_back(std::nullopt);
                }
            }
            return leituras;
        });
    std::vector<TVereditoTabela> iguais;
    for (std::size_t t = 0; t < tabelas.size(); ++t) {
        const std::optional<TLeituraLado>& origem = lidasOrigem[t];
        const std::optional<TLeituraLado>& destino = lidasDestino[t];
        if (!origem || !destino || origem->Resumo != destino->Resumo)
            continue;
        const bool marcada = origem->MarcaConfiavel && destino->MarcaConfiavel;
        TTabelaAntecipada mantida;
        mantida.Veredito.Tabela = tabelas[t]->Nome;
        mantida.Veredito.LinhasOrigem = origem->Marca.Linhas;
        mantida.Veredito.LinhasDestino = destino->Marca.Linhas;
        mantida.Veredito.Igual = true;
        mantida.Origem = origem->Marca;
        mantida.Destino = destino->Marca;
        iguais.push_back(mantida.Veredito);
        if (marcada)
            FMarcasMantidas[tabelas[t]->Nome] = std::move(mantida);
    }
    return iguais;
}

// Narrows a differing table down: the rows' digests summed per range of the key's hash on both
// sides, then the rows of the first ranges that differ read with their keys and compared.
void TProvaMigracao::ProcurarChaves(const TTabelaProva& tabela, TVereditoTabela& veredito)
{
    using TFaixas = std::map<long long, std::pair<std::int64_t, std::int64_t>>;
    const auto [faixasOrigem, faixasDestino] =
        NosDoisLados(FOrigem, FDestino, [&tabela](TConexao& conexao, TLado lado) {
            TConsulta consulta(&conexao, tabela.SQLFaixas(lado));
            consulta.Abrir();
            TFaixas faixas;
            for (; !consulta.Eof(); consulta.Proximo())
                faixas[consulta.Campo(0).ComoInteiro64()] = {consulta.Campo(1).ComoInteiro64(),
                                                            consulta.Campo(2).ComoInteiro64()};
            return faixas;
        });
    std::set<long long> todas;
    for (const auto& faixa : faixasOrigem)
        todas.insert(faixa.first);
    for (const auto& faixa : faixasDestino)
        todas.insert(faixa.first);
    std::vector<long long> diferentes;
    for (long long faixa : todas) {
        const auto o = faixasOrigem.find(faixa);
        const auto d = faixasDestino.find(faixa);
        if (o == faixasOrigem.end() || d == faixasDestino.end() || o->second != d->second)
            diferentes.push_back(faixa);
        if (diferentes.size() == TVereditoTabela::MaximoChaves)
            break;
    }
    if (diferentes.empty())
        return;

    using TLinhas = std::map<std::string, std::int64_t>;
    const auto [linhasOrigem, linhasDestino] =
        NosDoisLados(FOrigem, FDestino, [&](TConexao& conexao, TLado lado) {
            TConsulta consulta(&conexao, tabela.SQLLinhas(lado, diferentes));
            consulta.Abrir();
            TLinhas linhas;
            const int digesto = static_cast<int>(tabela.Chave.size());
            for (; !consulta.Eof(); consulta.Proximo())
                linhas[TextoChave(tabela, consulta)] = consulta.Campo(digesto).ComoInteiro64();
            return linhas;
        });
    std::set<std::string> chaves;
    for (const auto& [chave, digesto] : linhasOrigem) {
        const auto d = linhasDestino.find(chave);
        if (d == linhasDestino.end() || d->second != digesto)
            chaves.insert(chave);
    }
    for (const auto& linha : linhasDestino)
        if (!linhasOrigem.count(linha.first))
            chaves.insert(linha.first);
    for (const std::string& chave : chaves) {
        if (veredito.ChavesDiferentes.size() == TVereditoTabela::MaximoChaves)
            break;
        veredito.ChavesDiferentes.push_back(chave);
    }
}

TResultadoProva TProvaMigracao::Provar(const std::vector<std::string>& tabelas,
                                       const std::vector<std::string>& mantidas)
{
    std::vector<std::string> aProvar;
    std::copy_if(tabelas.begin(), tabelas.end(), std::back_inserter(aProvar),
                 [](const std::string& tabela) { return !DaFerramenta(tabela); });
    const auto mantida = [&mantidas](const std::string& tabela) {
        return std::find(mantidas.begin(), mantidas.end(), tabela) != mantidas.end();
    };
    // A kept table's digest was compared by this run before it changed anything, with both
    // sides' marks; a table the run proved equal while it copied the others has its marks
    // too. Either keeps its verdict where neither side's mark moved since; every other table
    // is digested now.
    std::vector<std::string> copiadas;
    std::vector<std::string> marcadas;
    std::map<std::string, const TTabelaAntecipada*> lidas;
    for (const std::string& tabela : aProvar) {
        const auto antecipada = FAntecipadas.find(tabela);
        const auto conferida = FMarcasMantidas.find(tabela);
        if (mantida(tabela) && conferida != FMarcasMantidas.end())
            lidas[tabela] = &conferida->second;
        else if (!mantida(tabela) && antecipada != FAntecipadas.end() &&
                 antecipada->second.Veredito.Igual)
            lidas[tabela] = &antecipada->second;
        else
            copiadas.push_back(tabela);
        if (lidas.count(tabela))
            marcadas.push_back(tabela);
    }
    std::vector<TVereditoTabela> vereditos;
    const auto [marcasOrigem, marcasDestino] = Marcas(marcadas);
    for (std::size_t t = 0; t < marcadas.size(); ++t) {
        const TTabelaAntecipada& lida = *lidas.at(marcadas[t]);
        if (marcasOrigem[t] == lida.Origem && marcasDestino[t] == lida.Destino)
            vereditos.push_back(lida.Veredito);
        else
            copiadas.push_back(marcadas[t]);
    }
    for (TVereditoTabela& veredito : CompararTabelas(copiadas, true))
        vereditos.push_back(std::move(veredito));

    TResultadoProva resultado;
    for (const std::string& tabela : aProvar)
        for (TVereditoTabela& veredito : vereditos)
            if (veredito.Tabela == tabela) {
                veredito.Mantida = mantida(tabela);
                resultado.Tabelas.push_back(std::move(veredito));
                break;
            }
    const auto acrescentar = [&resultado](std::vector<std::string> linhas) {
        resultado.OutrasDiferencas.insert(resultado.OutrasDiferencas.end(), linhas.begin(),
                                          linhas.end());
    };
    acrescentar(ConferirSequenciadores());
    acrescentar(ConferirIdentidades(tabelas));
    acrescentar(ConferirChavesPendentes());
    acrescentar(ConferirIndices());
    acrescentar(ConferirEscritaForcada());
    acrescentar(ConferirGatilhos());
    acrescentar(TConferenciaEstrutura(FOrigem, FDestino).Diferencas());
    return resultado;
}

// Every user sequence of the source exists in the destination at the source's value, 0 and
// below included.
std::vector<std::string> TProvaMigracao::ConferirSequenciadores()
{
    const auto [origem, destino] = NosDoisLados(FOrigem, FDestino, [](TConexao& c, TLado lado) {
        const std::vector<std::string> nomes =
            Nomes(c, lado == TLado::Origem
                         ? "select trim(RDB$GENERATOR_NAME) from RDB$GENERATORS "
                           "where RDB$SYSTEM_FLAG = 0 order by 1"
                         : "select trim(RDB$GENERATOR_NAME) from RDB$GENERATORS "
                           "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1");
        return ValoresSequenciadores(c, nomes);
    });
    std::vector<std::string> diferencas;
    for (const auto& [nome, valor] : origem) {
        const auto achado = destino.find(nome);
        if (achado == destino.end())
            diferencas.push_back("Sequenciador " + nome + " ausente no DESTINO.");
        else if (achado->second != valor)
            diferencas.push_back("Sequenciador " + nome + ": ORIGEM " + std::to_string(valor) +
                                 ", DESTINO " + std::to_string(achado->second) + ".");
    }
    return diferencas;
}

// Every identity column of a copied table continues at least where the source's does and
// above the largest value copied into it.
std::vector<std::string> TProvaMigracao::ConferirIdentidades(const std::vector<std::string>& tabelas)
{
    const std::map<std::string, std::string> identidadesOrigem =
        EmLeitura(FOrigem, [](TConexao& c) { return Identidades(c); });
    std::map<std::string, std::int64_t> valoresOrigem;
    for (const auto& [coluna, sequencia] : identidadesOrigem)
        valoresOrigem[coluna] = EmLeitura(FOrigem, [&sequencia](TConexao& c) {
            return LerLinha(c, "select gen_id(" + NomeSql(sequencia) + ", 0) from RDB$DATABASE")
                .at(0);
        });

    std::vector<std::string> diferencas;
    EmLeitura(FDestino, [&](TConexao& c) {
        for (const auto& [coluna, sequencia] : Identidades(c)) {
            const std::string tabela = coluna.substr(0, coluna.find('.'));
            const std::string nome = coluna.substr(coluna.find('.') + 1);
            if (std::find(tabelas.begin(), tabelas.end(), tabela) == tabelas.end())
                continue;
            const std::vector<std::int64_t> valores =
                LerLinha(c, "select gen_id(" + NomeSql(sequencia) + ", 0), (select max(" +
                                NomeSql(nome) + ") from " + NomeSql(tabela) +
                                ") from RDB$DATABASE");
            const auto naOrigem = valoresOrigem.find(coluna);
            if (valores[0] < valores[1])
                diferencas.push_back("Identidade " + coluna + ": DESTINO em " +
                                     std::to_string(valores[0]) + ", abaixo do maior valor (" +
                                     std::to_string(valores[1]) + ").");
            else if (naOrigem != valoresOrigem.end() && valores[0] < naOrigem->second)
                diferencas.push_back("Identidade " + coluna + ": ORIGEM " +
                                     std::to_string(naOrigem->second) + ", DESTINO " +
                                     std::to_string(valores[0]) + ".");
        }
        return 0;
    });
    return diferencas;
}

std::vector<std::string> TProvaMigracao::ConferirChavesPendentes()
{
    std::vector<std::string> diferencas;
    for (const std::string& sql : TPassosChavesEstrangeiras::Pendentes(FDestino))
        diferencas.push_back("Chave estrangeira ausente no DESTINO: " + sql + ".");
    return diferencas;
}

// Forced writes a run switched off are on again, as the server says, and no run left them
// recorded as switched off.
std::vector<std::string> TProvaMigracao::ConferirEscritaForcada()
{
    if (TRegistroChavesPendentes(FDestino).Ler().EscritaForcada ||
        (FEscritaForcadaEsperada && !FDestino.EscritaForcada()))
        return {"Gravação forçada (forced writes) desligada no DESTINO por uma importação e "
                "ainda não religada."};
    return {};
}

// Every index that was active when the run began is active, and none is left recorded as set
// inactive by a run.
std::vector<std::string> TProvaMigracao::ConferirIndices()
{
    const std::set<std::string> ativos = TPassosIndices::Ativos(FDestino);
    std::set<std::string> conferir = FIndicesAtivos;
    std::set<std::string> registrados;
    for (const TIndicePendente& indice : TRegistroChavesPendentes(FDestino).Ler().Indices) {
        conferir.insert(indice.Tabela + "." + indice.Nome);
        registrados.insert(indice.Tabela + "." + indice.Nome);
    }
    std::vector<std::string> diferencas;
    for (const std::string& indice : conferir) {
        if (!ativos.count(indice))
            diferencas.push_back("Índice inativo no DESTINO: " + indice + ".");
        else if (registrados.count(indice))
            diferencas.push_back("Índice ainda registrado como pendente no DESTINO: " + indice +
                                 ".");
    }
    return diferencas;
}

// Every trigger a run switches back on is active.
std::vector<std::string> TProvaMigracao::ConferirGatilhos()
{
    std::vector<std::string> diferencas;
    for (const std::string& gatilho : EmLeitura(FDestino, [](TConexao& c) {
             return Nomes(c, "select trim(RDB$TRIGGER_NAME) from RDB$TRIGGERS "
                             "where RDB$TRIGGER_SOURCE is not null "
                             "and coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
                             "and RDB$TRIGGER_SOURCE not starting with 'CHECK' "
                             "and RDB$TRIGGER_INACTIVE = 1 order by 1");
         }))
        diferencas.push_back("Gatilho inativo no DESTINO: " + gatilho + ".");
    return diferencas;
}
