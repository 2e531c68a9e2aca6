#include "RelatorioCronometrado.h"

#include "ResumoMigracao.h"

#include <cstdio>

namespace {

// What each advance of the overall bar closes.
const char* const NomesEtapas[] = {
    "PreencherCamposBooleanos", "DesativarGatilhos",     "ExcluirChavesEstrangeiras",
    "Commit",                   "CarregarTabelas",       "ImportarTabelas",
    "CriarChavesEstrangeiras",  "AtivarGatilhos",        "CriarGatilhosReplicacao",
    "ExcluirSequenciadores",    "CriarSequenciadores",   "Commit"};

} // namespace

void TRelatorioCronometrado::Iniciar()
{
    FEtapas.clear();
    FEmPassos = false;
    FMarca = TRelogio::now();
}

void TRelatorioCronometrado::Fechar(const std::string& nome)
{
    const auto agora = TRelogio::now();
    FEtapas.push_back({nome, std::chrono::duration<double>(agora - FMarca).count()});
    FMarca = agora;
}

void TRelatorioCronometrado::LimparLog()
{
    Fechar("ValidarVersao");
    FEmPassos = true;
}

void TRelatorioCronometrado::AcrescentarLinhaLog(const std::string& linha)
{
    // The line that says where the log was kept closes every command: what the bench prints
    // is the command's own result, the line before it.
    if (linha.find(" - Log gravado em ") == std::string::npos)
        UltimaLinha = linha;
}

void TRelatorioCronometrado::DefinirPosicao(TBarra barra, int posicao)
{
    if (barra != TBarra::Total || !FEmPassos || posicao == 0)
        return;
    const std::size_t indice = FEtapas.size() - 1;
    if (indice < std::size(NomesEtapas))
        Fechar(NomesEtapas[indice]);
}

void TRelatorioCronometrado::Abandonar(const std::string& mensagem, bool)
{
    std::fprintf(stderr, "%s\n", mensagem.c_str());
}

void TRelatorioCronometrado::MostrarResumo(const TResumoMigracao& resumo)
{
    for (const TResumoTabela& tabela : resumo.Tabelas()) {
        if (tabela.Caminho == TCaminhoResumo::Mantida)
            continue;
        TCaminho& caminho = tabela.Caminho == TCaminhoResumo::Servidor ? Servidor : Cliente;
        caminho.Linhas += tabela.Linhas;
        caminho.Segundos += tabela.Segundos;
    }
}
