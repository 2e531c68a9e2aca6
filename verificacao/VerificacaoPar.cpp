#include "VerificacaoPar.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "ListaTextos.h"
#include "PassosChavesEstrangeiras.h"
#include "ReplicacaoCadastros.h"
#include "VerificacaoPrevia.h"
#include "VerificacaoTabela.h"
#include "VerificacaoTabelasMantidas.h"

#include <algorithm>
#include <set>

namespace {

std::vector<TChaveUnica> Unicas(const TChavesUnicas& chaves, const std::string& tabela)
{
    const auto achadas = chaves.find(tabela);
    return achadas == chaves.end() ? std::vector<TChaveUnica>{} : achadas->second;
}

TProblemaVerificacao DoCatalogo(const TImpedimentoTabela& impedimento)
{
    TProblemaVerificacao problema;
    problema.Tabela = impedimento.Tabela;
    if (!impedimento.Coluna.empty())
        problema.Alvo = "coluna " + impedimento.Coluna;
    // The run's sentence, less its full stop: the problem's line ends with one.
    problema.Descricao = impedimento.Texto.substr(0, impedimento.Texto.size() - 1);
    return problema;
}

TProblemaVerificacao DaPrevia(const std::string& texto, bool aviso)
{
    TProblemaVerificacao problema;
    problema.Aviso = aviso;
    problema.Descricao = texto.substr(0, texto.size() - 1);
    return problema;
}

void Acrescentar(std::vector<TProblemaVerificacao>& problemas,
                 std::vector<TProblemaVerificacao> novos)
{
    for (TProblemaVerificacao& problema : novos)
        problemas.push_back(std::move(problema));
}

} // namespace

TProblemaVerificacao ProblemaNaoCopiada(const TTabelaNaoCopiada& tabela)
{
    TProblemaVerificacao problema;
    problema.Aviso = true;
    problema.MostradoPelaImportacao = true;
    problema.Tabela = tabela.Tabela;
    problema.Descricao = "tabela da ORIGEM que o DESTINO não tem; " +
                         std::to_string(tabela.Linhas) +
                         (tabela.Linhas == 1 ? " linha não copiada" : " linhas não copiadas");
    return problema;
}

std::vector<TProblemaVerificacao> TVerificacaoPar::Verificar(bool silenciosa)
{
    FSilenciosa = silenciosa;
    // Each database is read in one read-only snapshot: the check sees one state of each, and
    // the server itself refuses any change through it.
    TConexao& origemLeitura = FContexto.ConexaoOrigem;
    TConexao& destinoLeitura = FContexto.ConexaoDestino;
    origemLeitura.IniciarTransacaoLeitura();
    try {
        destinoLeitura.IniciarTransacaoLeitura();
    } catch (...) {
        origemLeitura.Rollback();
        throw;
    }
    try {
        std::vector<TProblemaVerificacao> problemas = VerificarLendo();
        origemLeitura.Rollback();
        destinoLeitura.Rollback();
        return problemas;
    } catch (...) {
        for (TConexao* conexao : {&origemLeitura, &destinoLeitura})
            try {
                conexao->Rollback();
            } catch (const EBancoDados&) {
                // The check's own failure is what the caller must see.
            }
        throw;
    }
}

std::vector<TProblemaVerificacao> TVerificacaoPar::VerificarLendo()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    TConexao& origem = FContexto.ConexaoOrigem;
    TConexao& destino = FContexto.ConexaoDestino;

    if (!FSilenciosa)
        acompanhamento.AdicionarLog("Lendo a estrutura dos bancos de dados...");
    const TCatalogoRelacoes relacoesOrigem = LerCatalogoRelacoes(origem);
    const TCatalogoRelacoes relacoesDestino = LerCatalogoRelacoes(destino);
    const TChavesUnicas unicasOrigem = LerChavesUnicas(origem);
    const TChavesUnicas unicasDestino = LerChavesUnicas(destino);
    // What the record of pending keys holds that the run would refuse, then the keys it would
    // create again.
    const std::vector<TImpedimentoTabela> pendentes = FChaves.ConferirPendentes(relacoesDestino);
    const std::vector<TChaveEstrangeira> estrangeiras = FChaves.ChavesARecriar();
    const std::vector<TChaveEstrangeira> estrangeirasOrigem =
        TPassosChavesEstrangeiras::ChavesDe(origem);
    const auto checks = LerRestricoesCheck(destino);

    std::vector<TProblemaVerificacao> problemas;
    std::set<std::string> impedidas;
    std::set<std::string> textosTabelas;
    // Pending keys to be discarded are the pre-flight's warnings below, not errors.
    if (!FChaves.Descarte())
        for (const TImpedimentoTabela& pendente : pendentes) {
            problemas.push_back(DoCatalogo(pendente));
            textosTabelas.insert(pendente.Texto);
        }
    for (const TImpedimentoTabela& impedimento :
         TVerificacaoPrevia::VerificarTabelas(relacoesOrigem, relacoesDestino, FExcecoes)) {
        problemas.push_back(DoCatalogo(impedimento));
        impedidas.insert(impedimento.Tabela);
        textosTabelas.insert(impedimento.Texto);
    }
    // Whatever else the run's own look before it starts refuses (someone attached to the
    // destination, say), and what it warns of.
    const TResultadoVerificacaoPrevia previa = FPrevia.Verificar();
    for (const std::string& impedimento : previa.Impedimentos)
        if (!textosTabelas.count(impedimento))
            problemas.push_back(DaPrevia(impedimento, false));
    for (const std::string& aviso : previa.Avisos)
        problemas.push_back(DaPrevia(aviso, true));
    for (const TTabelaNaoCopiada& naoCopiada : previa.NaoCopiadas)
        problemas.push_back(ProblemaNaoCopiada(naoCopiada));

    // The tables whose rows the run copies, and could copy.
    std::vector<std::string> copiadas;
    for (const auto& [tabela, relacao] : relacoesDestino)
        if (!relacao.Visao && !FExcecoes.Contem(tabela) && !impedidas.count(tabela))
            copiadas.push_back(tabela);
    const auto copiada = [&copiadas](const std::string& tabela) {
        return std::binary_search(copiadas.begin(), copiadas.end(), tabela);
    };
    const auto mantida = [this, &relacoesDestino](const std::string& tabela) {
        const auto relacao = relacoesDestino.find(tabela);
        return relacao != relacoesDestino.end() && !relacao->second.Visao &&
               FExcecoes.Contem(tabela);
    };
    const auto identificacao = [&unicasDestino](const std::string& tabela) {
        return CamposIdentificacao(Unicas(unicasDestino, tabela));
    };

    const auto reiniciar = [this, &acompanhamento](TBarra barra, int maximo) {
        if (!FSilenciosa)
            acompanhamento.Reiniciar(barra, maximo);
    };
    const auto avancar = [this, &acompanhamento](TBarra barra) {
        if (!FSilenciosa)
            acompanhamento.Avancar(barra);
    };
    reiniciar(TBarra::Total, static_cast<int>(copiadas.size()) + 1);
    TVerificacaoTabelasMantidas mantidas(origem, destino);
    for (const std::string& tabela : copiadas) {
        FContexto.Cancelamento.Verificar();
        if (!FSilenciosa)
            acompanhamento.AdicionarLog("Verificando tabela... " + tabela);
        reiniciar(TBarra::Atual, 1);
        TTabelaVerificada verificada{tabela,
                                     relacoesOrigem.at(tabela),
                                     relacoesDestino.at(tabela),
                                     Unicas(unicasDestino, tabela),
                                     Unicas(unicasOrigem, tabela),
                                     {},
                                     {},
                                     {}};
        if (const auto daTabela = checks.find(tabela); daTabela != checks.end())
            verificada.Checks = daTabela->second;
        for (const TChaveEstrangeira& chave : estrangeirasOrigem)
            if (chave.Tabela == tabela)
                verificada.ChavesEstrangeirasOrigem.push_back(chave);
        std::vector<const TChaveEstrangeira*> paraMantidas;
        for (const TChaveEstrangeira& chave : estrangeiras) {
            if (chave.Tabela != tabela)
                continue;
            if (copiada(chave.TabelaReferenciada))
                verificada.ChavesEstrangeiras.emplace_back(
                    chave, &relacoesOrigem.at(chave.TabelaReferenciada));
            else if (mantida(chave.TabelaReferenciada))
                paraMantidas.push_back(&chave);
        }
        Acrescentar(problemas, VerificarTabela(origem, verificada));
        for (const TChaveEstrangeira* chave : paraMantidas)
            Acrescentar(problemas, mantidas.Verificar(*chave, &verificada.Origem,
                                                      identificacao(tabela)));
        avancar(TBarra::Atual);
        avancar(TBarra::Total);
    }

    FContexto.Cancelamento.Verificar();
    if (!FSilenciosa)
        acompanhamento.AdicionarLog("Verificando tabelas mantidas e gatilhos da replicação...");
    reiniciar(TBarra::Atual, 1);
    for (const TChaveEstrangeira& chave : estrangeiras)
        if (mantida(chave.Tabela) && copiada(chave.TabelaReferenciada))
            Acrescentar(problemas, mantidas.Verificar(chave, nullptr, identificacao(chave.Tabela)));
    Acrescentar(problemas, VerificarReplicacao(relacoesOrigem, relacoesDestino, unicasDestino));
    avancar(TBarra::Atual);
    avancar(TBarra::Total);

    // A statement the stop cut short may have read as a problem found: the stop is what
    // happened.
    FContexto.Cancelamento.Verificar();
    std::stable_sort(problemas.begin(), problemas.end(),
                     [](const TProblemaVerificacao& a, const TProblemaVerificacao& b) {
                         return a.Tabela < b.Tabela;
                     });
    if (!FSilenciosa) {
        for (const TProblemaVerificacao& problema : problemas)
            acompanhamento.AdicionarLog(problema.Linha());
        acompanhamento.AdicionarResultado(LinhaTotais(problemas));
    }
    return problemas;
}

// The run reads the replication catalogue of the source (whether replication is in use) and,
// when it is, of the destination, each through its table of exceptions: a database without it
// fails the run's replication step. When the source's companies share a replication group,
// the run installs a trigger per catalogued table; the server refuses the trigger of a table
// the destination lacks or that has no primary key there (the trigger finds its row by it).
std::vector<TProblemaVerificacao> TVerificacaoPar::VerificarReplicacao(
    const TCatalogoRelacoes& origem, const TCatalogoRelacoes& destino, const TChavesUnicas& chaves)
{
    const std::string excecoes = "EXCECOES_REPLICACAO";
    const auto semTabela = [](const std::string& tabela, const char* banco) {
        TProblemaVerificacao problema;
        problema.Tabela = tabela;
        problema.Descricao = std::string("tabela que o banco de dados de ") + banco +
                             " não tem; a etapa da replicação falharia";
        return std::vector<TProblemaVerificacao>{problema};
    };
    // A destination that has the table is told apart already: a table the source lacks.
    if (!origem.count(excecoes))
        return destino.count(excecoes) ? std::vector<TProblemaVerificacao>{}
                                       : semTabela(excecoes, "ORIGEM");
    // Whether replication is in use is read from the source's companies.
    if (!origem.count("EMPRESAS"))
        return semTabela("EMPRESAS", "ORIGEM");

    TReplicacaoCadastros catalogo(FContexto.ConexaoOrigem);
    if (!catalogo.TemReplicacao())
        return {};
    if (!destino.count(excecoes))
        return semTabela(excecoes, "DESTINO");
    std::vector<TProblemaVerificacao> problemas;
    for (const auto& tabela : catalogo.Lista()) {
        const std::string& nome = tabela->Nome();
        TProblemaVerificacao problema;
        problema.Tabela = nome;
        // A table the destination lacks has nothing to replicate: the run reports the refused
        // trigger and goes on, a warning. A table without its trigger fails the run once its
        // other steps are done.
        if (!destino.count(nome)) {
            problema.Aviso = true;
            problema.MostradoPelaImportacao = true;
            problema.Descricao = "tabela da replicação que o DESTINO não tem; o gatilho da "
                                 "replicação seria recusado";
        } else if (!chaves.count(nome) || !chaves.at(nome).front().Primaria) {
            problema.Descricao = "tabela da replicação sem chave primária no DESTINO; o gatilho "
                                 "da replicação seria recusado e a importação falharia";
        } else {
            continue;
        }
        problemas.push_back(std::move(problema));
    }
    return problemas;
}
