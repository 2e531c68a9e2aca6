#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

// The destination's copied tables, in the order the run takes them, up to the reference
// tables it keeps.
const std::vector<std::string> TabelasCopiadas = {
    "CLIENTES", "CLIENTES_EMAIL", "EMPRESAS", "EVENTOS", "EXCECOES_REPLICACAO",
    "GERADORES_EMPRESA", "ICMS", "MARCAS", "PEDIDOS", "PEDIDOS_ITENS", "PORTADORES", "PRODUTOS",
    "PRODUTOS_GRUPOS", "PRODUTOS_IMAGEM", "PRODUTOS_UNIDADES_COMERCIAIS", "SCRIPTS",
    "TIPOS_DADOS"};

std::vector<std::string> ComPrefixo(const std::string& prefixo, std::vector<std::string> nomes)
{
    for (std::string& nome : nomes)
        nome = prefixo + nome;
    return nomes;
}

std::vector<std::string> Contendo(const std::vector<std::string>& textos, const std::string& parte)
{
    std::vector<std::string> achados;
    std::copy_if(textos.begin(), textos.end(), std::back_inserter(achados),
                 [&parte](const std::string& texto) { return texto.rfind(parte, 0) == 0; });
    return achados;
}

struct TCasoFalha {
    std::string Nome;
    std::string ScriptDestino; // what makes the import fail
    std::string TabelaQueFalha;
    std::string TrechoErro;    // part of the server's message
    std::string Explicacao;    // the first line the operator reads
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const TCasoFalha& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class FalhaImportacaoTest : public ::testing::TestWithParam<TCasoFalha> {};

// A failure in the middle of the import ends the run there: the log holds every table's
// clearing line, the import lines up to the failing table and the error line, all in red; the
// bars stay where the failure found them.
TEST_P(FalhaImportacaoTest, TerminaOPassoEMarcaOLogEmVermelho)
{
    const TCasoFalha& caso = GetParam();
    TParMigracao par;
    par.Destino.ExecutarScript(caso.ScriptDestino);
    std::vector<std::string> tabelas = TabelasCopiadas;
    if (std::find(tabelas.begin(), tabelas.end(), caso.TabelaQueFalha) == tabelas.end())
        tabelas.insert(std::upper_bound(tabelas.begin(), tabelas.end(), caso.TabelaQueFalha),
                       caso.TabelaQueFalha);
    const auto falha = std::find(tabelas.begin(), tabelas.end(), caso.TabelaQueFalha);
    const std::vector<std::string> importadas(tabelas.begin(), falha + 1);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);

    const auto textos = relatorio.Textos();
    EXPECT_EQ(std::vector<std::string>(textos.begin(), textos.begin() + 4),
              (std::vector<std::string>{
                  "Preenchendo campos do tipo boleano (que estão nulos), na base de origem...",
                  "Desativando gatilhos...", "Excluindo chaves estrangeiras...",
                  "Carregando tabelas..."}));
    EXPECT_EQ(Contendo(textos, "Limpando tabela... "), ComPrefixo("Limpando tabela... ", tabelas));
    EXPECT_EQ(Contendo(textos, "Importando tabela... "),
              ComPrefixo("Importando tabela... ", importadas));
    EXPECT_EQ(textos.size(), 4 + tabelas.size() + importadas.size() + 1);
    const std::string& erro = textos.back();
    // What happened and what to do in plain words, then the server's own text.
    EXPECT_EQ(erro.rfind("Ocorreu um erro: \r\n" + caso.Explicacao + "\r\n", 0), 0u) << erro;
    EXPECT_NE(erro.find(std::string("\r\n") + EBancoDados::Prefixo), std::string::npos) << erro;
    EXPECT_NE(erro.find(caso.TrechoErro), std::string::npos) << erro;
    EXPECT_TRUE(relatorio.EmVermelho);
    EXPECT_EQ(migracao.Posicao(TBarra::Total), 5);
    EXPECT_EQ(migracao.Posicao(TBarra::Atual), static_cast<int>(importadas.size()) - 1);
    EXPECT_EQ(migracao.Maximo(TBarra::Atual), static_cast<int>(tabelas.size()));
    EXPECT_FALSE(relatorio.PassouDoMaximo);
    EXPECT_FALSE(migracao.EmExecucao());
}

INSTANTIATE_TEST_SUITE_P(
    Falhas, FalhaImportacaoTest,
    ::testing::Values(
        TCasoFalha{"TerceiraTabela",
                   "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);",
                   "EMPRESAS", "CK_EMPRESAS_ATE_3",
                   "Restrição CHECK violada: uma linha da tabela EMPRESAS não atende à restrição "
                   "CK_EMPRESAS_ATE_3 do DESTINO."}),
    [](const auto& info) { return info.param.Nome; });

// The foreign keys dropped before a failure are remembered for that destination: the caller
// can show them, and the next run on the same file (by whatever path) creates them again even
// though the destination no longer has them. The failure comes at the last table, after SCRIPTS
// is refilled, so that the destination still passes the version check.
TEST(ChavesPendentesTest, ProximaExecucaoRecriaAsChavesDeUmaExecucaoQueFalhou)
{
    TParMigracao par;
    par.Destino.ExecutarScript("alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 check (ID <= 2);");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    ASSERT_EQ(chaves.size(), 8u);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    EXPECT_TRUE(ChavesEstrangeiras(par.ConexaoDestino).empty());

    const auto pendentes = migracao.ChavesEstrangeirasPendentes(par.Destino.Caminho());
    EXPECT_EQ(pendentes.size(), chaves.size());
    const std::filesystem::path caminho = par.Destino.Caminho();
    EXPECT_EQ(migracao.ChavesEstrangeirasPendentes(
                  (caminho.parent_path() / "." / caminho.filename()).string()),
              pendentes);
    EXPECT_TRUE(migracao.ChavesEstrangeirasPendentes(par.Origem.Caminho()).empty());
    EXPECT_NE(std::find(pendentes.begin(), pendentes.end(),
                        "alter table PRODUTOS_IMAGEM add constraint FK_PRODUTOS_IMAGEM_PRODUTO "
                        "foreign key (EMPRESA,PRO_CODIGO) references PRODUTOS (EMPRESA,PRO_CODIGO) "
                        "on delete CASCADE using index IX_PRODUTOS_IMAGEM_PRODUTO"),
              pendentes.end());

    par.Destino.ExecutarScript("alter table TIPOS_DADOS drop constraint CK_TIPOS_ATE_2;");
    par.Desconectar();
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_TRUE(migracao.ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
    EXPECT_EQ(relatorio.Limpezas, 2);
    EXPECT_FALSE(relatorio.EmVermelho);
    EXPECT_EQ(Contendo(relatorio.Textos(), "Criando chave estrangeira... ").size(), 8u);
}

} // namespace
