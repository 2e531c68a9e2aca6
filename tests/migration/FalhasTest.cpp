#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <filesystem>
#include <functional>

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
    const std::set<std::string> iguais =
        TabelasIguais(par.ConexaoOrigem, par.ConexaoDestino, tabelas);
    ASSERT_FALSE(iguais.count(caso.TabelaQueFalha));
    std::vector<std::string> limpezas;
    for (const std::string& tabela : tabelas)
        limpezas.push_back((iguais.count(tabela) ? "Mantendo tabela igual à da ORIGEM... "
                                                 : "Limpando tabela... ") +
                           tabela);
    const auto importadas = falha + 1 - tabelas.begin();
    std::vector<std::string> copiadas;
    std::copy_if(tabelas.begin(), falha + 1, std::back_inserter(copiadas),
                 [&iguais](const std::string& tabela) { return !iguais.count(tabela); });
    par.Desconectar();

    // Past the run's check, which would refuse the pair: the failure is met part way.
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);

    const auto textos = relatorio.TextosSemResumo();
    EXPECT_EQ(std::vector<std::string>(textos.begin(), textos.begin() + 4),
              (std::vector<std::string>{
                  "Preenchendo campos do tipo boleano (que estão nulos), na base de origem...",
                  "Desativando gatilhos...", "Excluindo chaves estrangeiras...",
                  "Carregando tabelas..."}));
    EXPECT_EQ(std::vector<std::string>(textos.begin() + 4, textos.begin() + 4 + limpezas.size()),
              limpezas);
    EXPECT_EQ(Contendo(textos, "Importando tabela... "),
              ComPrefixo("Importando tabela... ", copiadas));
    EXPECT_EQ(textos.size(), 4 + tabelas.size() + copiadas.size() + 1);
    const std::string& erro = textos.back();
    // What happened and what to do in plain words, then the server's own text.
    EXPECT_EQ(erro.rfind("Ocorreu um erro: \r\n" + caso.Explicacao + "\r\n", 0), 0u) << erro;
    EXPECT_NE(erro.find(std::string("\r\n") + EBancoDados::Prefixo), std::string::npos) << erro;
    EXPECT_NE(erro.find(caso.TrechoErro), std::string::npos) << erro;
    EXPECT_TRUE(relatorio.EmVermelho);
    // The summary comes right before the error line: every table up to the one that failed,
    // none of them proven.
    const auto resumo = relatorio.TextosResumo();
    ASSERT_FALSE(resumo.empty());
    EXPECT_EQ(resumo.back().rfind("Total: " + std::to_string(importadas) + " tabelas, ", 0), 0u)
        << resumo.back();
    EXPECT_EQ(relatorio.Textos().end()[-2], resumo.back());
    std::vector<std::string> resumidas;
    for (const TResumoTabela& tabela : relatorio.Resumo) {
        resumidas.push_back(tabela.Tabela);
        EXPECT_EQ(tabela.Conferencia, TConferenciaResumo::NaoConferida) << tabela.Tabela;
        EXPECT_EQ(tabela.Caminho == TCaminhoResumo::Mantida, iguais.count(tabela.Tabela) == 1)
            << tabela.Tabela;
    }
    EXPECT_EQ(resumidas, std::vector<std::string>(tabelas.begin(), falha + 1));
    ASSERT_FALSE(relatorio.Resultados.empty());
    EXPECT_EQ(relatorio.Resultados.back().Linha, relatorio.Linhas.back().substr(
                                                     relatorio.Linhas.back().find(" - ") + 3));
    EXPECT_TRUE(relatorio.Resultados.back().Falha);
    EXPECT_EQ(migracao.Posicao(TBarra::Total), 5);
    EXPECT_EQ(migracao.Posicao(TBarra::Atual), static_cast<int>(importadas) - 1);
    EXPECT_EQ(migracao.Maximo(TBarra::Atual), static_cast<int>(tabelas.size()));
    EXPECT_FALSE(relatorio.PassouDoMaximo);
    EXPECT_FALSE(migracao.EmExecucao());
}

INSTANTIATE_TEST_SUITE_P(
    Falhas, FalhaImportacaoTest,
    ::testing::Values(
        TCasoFalha{"TerceiraTabela",
                   "update EMPRESAS set NOME = NOME || '.';\n"
                   "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);",
                   "EMPRESAS", "CK_EMPRESAS_ATE_3",
                   "Restrição CHECK violada: uma linha da tabela EMPRESAS (linha de chave EMPRESA = 4) "
                   "não atende à restrição CK_EMPRESAS_ATE_3 do DESTINO."}),
    [](const auto& info) { return info.param.Nome; });

// The foreign keys dropped before a failure are remembered for that destination: the caller
// can show them, and the next run on the same file (by whatever path) creates them again even
// though the destination no longer has them. The failure comes at the last table, after SCRIPTS
// is refilled, so that the destination still passes the version check.
TEST(ChavesPendentesTest, ProximaExecucaoRecriaAsChavesDeUmaExecucaoQueFalhou)
{
    TParMigracao par;
    par.Destino.ExecutarScript("update TIPOS_DADOS set C_VARCHAR = 'destino';\n"
                               "alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 check (ID <= 2);");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    ASSERT_EQ(chaves.size(), 8u);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
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

    // The next run checks again, and finds the half-filled destination fit to complete.
    par.Destino.ExecutarScript("alter table TIPOS_DADOS drop constraint CK_TIPOS_ATE_2;");
    par.Desconectar();
    migracao.DispensarVerificacao(false);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_TRUE(migracao.ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
    EXPECT_EQ(relatorio.Limpezas, 2);
    EXPECT_FALSE(relatorio.EmVermelho);
    EXPECT_EQ(Contendo(relatorio.Textos(), "Criando chave estrangeira... ").size(), 8u);
}

// An order item without its order in the source: the run copies it, and the destination's
// key FK_PEDIDOS_ITENS_PEDIDO cannot be created over it.
const char* const ItemSemPedido =
    "alter table PEDIDOS_ITENS drop constraint FK_PEDIDOS_ITENS_PEDIDO;\n"
    "insert into PEDIDOS_ITENS (PEDIDO, ITEM, EMPRESA, PRO_CODIGO) values (999, 1, 1, 100);";
const char* const SemItemOrfao = "delete from PEDIDOS_ITENS where PEDIDO = 999;";
const char* const SQLChaveDoItem =
    "alter table PEDIDOS_ITENS add constraint FK_PEDIDOS_ITENS_PEDIDO foreign key (PEDIDO) "
    "references PEDIDOS (PEDIDO) on delete CASCADE";

bool TemTabelaDoRegistro(TConexao& conexao)
{
    return Contar(conexao, std::string("select count(*) from RDB$RELATIONS where "
                                       "RDB$RELATION_NAME = '") +
                               TRegistroChavesPendentes::Tabela + "'") > 0;
}

// Keys that cannot be created (rows without their parent) do not stop the others: the run
// creates every other key, switches the triggers on, carries the sequences, names each key
// left pending with its orphan rows, and only then fails. The keys stay recorded, and once the
// rows are mended the next run creates them and leaves nothing of the record behind.
TEST(ChavesPendentesTest, ChavesQueNaoPodemSerCriadasNaoImpedemAsDemais)
{
    TParMigracao par;
    par.Origem.ExecutarScript(
        std::string(ItemSemPedido) +
        "\nalter table CLIENTES_EMAIL drop constraint FK_CLIENTES_EMAIL_CLIENTE;\n"
        "set term ^;\n"
        "execute block as declare i integer = 0; begin\n"
        "  while (i < 6) do begin\n"
        "    insert into CLIENTES_EMAIL (EMPRESA, ID, CLI_CODIGO, EMAIL)\n"
        "      values (1, 100 + :i, 77, 'orfao' || :i || '@exemplo.com');\n"
        "    i = i + 1;\n"
        "  end\n"
        "end^\n"
        "set term ;^\n"
        "alter sequence PEDIDO restart with 1500;");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    ASSERT_EQ(chaves.size(), 8u);
    par.Destino.ExecutarScript("set term ^;\n"
                               "create trigger TR_MARCAS_TESTE for MARCAS inactive before insert "
                               "as begin end^\n"
                               "set term ;^");
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    // The check before the run would refuse the orphans; the run itself must meet them.
    migracao.DispensarVerificacao(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    const auto textos = relatorio.Textos();
    const auto posicao = [&textos](const std::string& texto) {
        return std::find(textos.begin(), textos.end(), texto) - textos.begin();
    };
    const auto criadas = posicao("Chaves estrangeiras criadas: 6.");
    ASSERT_LT(criadas, static_cast<long>(textos.size())) << textos.back();
    EXPECT_EQ(textos[criadas + 1],
              "Chave estrangeira FK_CLIENTES_EMAIL_CLIENTE (CLIENTES_EMAIL) não recriada: registro "
              "pai ausente na tabela CLIENTES; 6 linhas (EMPRESA=1 ID=100; EMPRESA=1 ID=101; "
              "EMPRESA=1 ID=102; EMPRESA=1 ID=103; EMPRESA=1 ID=104).");
    EXPECT_EQ(textos[criadas + 2],
              "Chave estrangeira FK_PEDIDOS_ITENS_PEDIDO (PEDIDOS_ITENS) não recriada: registro "
              "pai ausente na tabela PEDIDOS; 1 linha (PEDIDO=999 ITEM=1).");
    EXPECT_EQ(textos[criadas + 3], "Ativando gatilhos...");
    EXPECT_EQ(Contendo(textos, "Sequenciadores criados: ").size(), 1u);
    EXPECT_EQ(textos.back(), "Ocorreu um erro: \r\nChaves estrangeiras não recriadas: 2 "
                             "(listadas acima). Elas continuam registradas no DESTINO; corrija o "
                             "que impede cada uma e importe novamente para recriá-las.");
    EXPECT_TRUE(relatorio.EmVermelho);
    EXPECT_EQ(migracao.Posicao(TBarra::Total), 11);

    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino).size(), 6u);
    for (const auto& [gatilho, ativo] : Gatilhos(par.ConexaoDestino))
        EXPECT_TRUE(ativo) << gatilho;
    EXPECT_EQ(Sequencias(par.ConexaoDestino), Sequencias(par.ConexaoOrigem));
    EXPECT_EQ(Sequencias(par.ConexaoDestino).at("PEDIDO"), 1500);
    par.Desconectar();
    const auto pendentes = TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho());
    ASSERT_EQ(pendentes.size(), 2u);
    EXPECT_EQ(pendentes[1], SQLChaveDoItem);

    par.Origem.ExecutarScript(std::string(SemItemOrfao) +
                              "\ndelete from CLIENTES_EMAIL where CLI_CODIGO = 77;");
    par.Desconectar();
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_FALSE(TemTabelaDoRegistro(par.ConexaoDestino));
    par.Desconectar();
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
    EXPECT_FALSE(std::filesystem::exists(TMigracao::ArquivoChavesPendentes(par.Destino.Caminho())));
}

struct TCasoMudanca {
    std::string Nome;
    // Moves the destination of a failed run somehow; returns the path the next run uses.
    std::function<std::string(const std::string& destino)> Mudar;
    bool OriginalContinuaPendente = false;
};

void PrintTo(const TCasoMudanca& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

std::string PastaNova(const std::string& nome)
{
    const std::filesystem::path pasta = std::filesystem::path(TBancoTeste::Pasta()) / nome;
    std::filesystem::create_directories(pasta);
    std::filesystem::permissions(pasta, std::filesystem::perms::all);
    return pasta.string();
}

class MudancaDoDestinoTest : public ::testing::TestWithParam<TCasoMudanca> {};

// The record travels with the destination: whatever the technician does with the file after a
// run that left a key pending, or whoever runs the next one, that run creates the key.
TEST_P(MudancaDoDestinoTest, ProximaExecucaoRecriaAChavePendente)
{
    TParMigracao par;
    par.Origem.ExecutarScript(ItemSemPedido);
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    par.Desconectar();
    {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        migracao.DispensarVerificacao(true);
        ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
                  TResultadoMigracao::Falhou);
    }
    par.Origem.ExecutarScript(SemItemOrfao);
    par.Desconectar();
    const std::string xdg = std::getenv("XDG_DATA_HOME");
    const std::string novo = GetParam().Mudar(par.Destino.Caminho());

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    const TResultadoMigracao resultado = migracao.Iniciar(par.Origem.Caminho(), novo);
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    ASSERT_EQ(resultado, TResultadoMigracao::Concluida)
        << (relatorio.Abandonos.empty() ? relatorio.Linhas.back() : relatorio.Abandonos[0]);
    TConexao destino;
    destino.DefinirBanco(novo);
    EXPECT_EQ(ChavesEstrangeiras(destino), chaves);
    EXPECT_FALSE(TemTabelaDoRegistro(destino));
    destino.Desconectar();
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(novo).empty());
    if (GetParam().OriginalContinuaPendente) {
        EXPECT_EQ(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()),
                  std::vector<std::string>{SQLChaveDoItem});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mudancas, MudancaDoDestinoTest,
    ::testing::Values(
        TCasoMudanca{"Renomeado",
                     [](const std::string& destino) {
                         const std::string novo = destino + ".renomeado.fdb";
                         std::filesystem::rename(destino, novo);
                         return novo;
                     }},
        TCasoMudanca{"MovidoParaOutraPasta",
                     [](const std::string& destino) {
                         const std::string novo =
                             PastaNova("movido") + "/" +
                             std::filesystem::path(destino).filename().string();
                         std::filesystem::rename(destino, novo);
                         return novo;
                     }},
        TCasoMudanca{"Copiado",
                     [](const std::string& destino) {
                         const std::string novo = destino + ".copia.fdb";
                         std::filesystem::copy_file(destino, novo);
                         std::filesystem::permissions(novo, std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_write |
                                                                std::filesystem::perms::group_read |
                                                                std::filesystem::perms::group_write |
                                                                std::filesystem::perms::others_read |
                                                                std::filesystem::perms::others_write);
                         return novo;
                     },
                     true},
        // Another system user has a data folder of its own, without the first one's file.
        TCasoMudanca{"OutroUsuario",
                     [](const std::string& destino) {
                         setenv("XDG_DATA_HOME", PastaNova("outro-usuario").c_str(), 1);
                         return destino;
                     }}),
    [](const auto& info) { return info.param.Nome; });

} // namespace
