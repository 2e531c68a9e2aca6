#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"
#include "VerificacoesIniciais.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string Iguais = "Banco de dados de ORIGEM e DESTINO não podem ser iguais.";

// Nothing of a refused Start command reaches the displays: the previous run's log, its colour
// and both bars stay as they were.
void EsperarNadaMostrado(const TRelatorioGravado& relatorio)
{
    EXPECT_EQ(relatorio.Limpezas, 0);
    EXPECT_TRUE(relatorio.Linhas.empty());
    EXPECT_FALSE(relatorio.EmVermelho);
    EXPECT_EQ(relatorio.Posicao[0], 0);
    EXPECT_EQ(relatorio.Maximo[0], 100);
}

struct TCasoCaminhos {
    std::string Origem;
    std::string Destino;
    std::string Mensagem;
};

void PrintTo(const TCasoCaminhos& caso, std::ostream* saida)
{
    *saida << '"' << caso.Origem << "\" \"" << caso.Destino << '"';
}

class CaminhosTest : public ::testing::TestWithParam<TCasoCaminhos> {};

// Files that do not exist: a check that reached a database would fail instead of abandoning.
TEST_P(CaminhosTest, AbandonaComAMensagemSemAlcancarOsBancos)
{
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(GetParam().Origem, GetParam().Destino),
              TResultadoMigracao::Abandonada);
    EXPECT_EQ(relatorio.Abandonos, std::vector<std::string>{GetParam().Mensagem});
    EXPECT_TRUE(relatorio.FocoNoOk);
    EsperarNadaMostrado(relatorio);
    EXPECT_FALSE(migracao.EmExecucao());
}

INSTANTIATE_TEST_SUITE_P(
    Validacao, CaminhosTest,
    ::testing::Values(
        TCasoCaminhos{"", "", "Banco de dados de ORIGEM não foi informado."},
        TCasoCaminhos{"", "/nao/existe/destino.fdb", "Banco de dados de ORIGEM não foi informado."},
        TCasoCaminhos{"/nao/existe/origem.fdb", "", "Banco de dados de DESTINO não foi informado."},
        TCasoCaminhos{"/nao/existe/a.fdb", "/nao/existe/a.fdb", Iguais},
        TCasoCaminhos{"/nao/existe/a.fdb", "/nao/existe/./a.fdb", Iguais},
        TCasoCaminhos{"/nao/existe/a.fdb", "/nao/existe/b/../a.fdb", Iguais}));

// Two different texts for one database file would have the run empty the database it copies
// from; the files themselves are compared.
TEST(MesmoArquivoTest, OutroTextoParaOMesmoArquivoERecusado)
{
    TBancoTeste banco(NomeTesteAtual());
    const fs::path caminho = banco.Caminho();
    const fs::path pasta = caminho.parent_path();
    const fs::path simbolico = pasta / (NomeTesteAtual() + "-simbolico.fdb");
    const fs::path fisico = pasta / (NomeTesteAtual() + "-fisico.fdb");
    fs::create_symlink(caminho, simbolico);
    fs::create_hard_link(caminho, fisico);

    const std::vector<std::string> outrosTextos = {
        simbolico.string(), fisico.string(), (pasta / "." / caminho.filename()).string(),
        (pasta / ".." / pasta.filename() / caminho.filename()).string()};
    for (const std::string& outro : outrosTextos) {
        for (const auto& [origem, destino] :
             {std::pair{caminho.string(), outro}, std::pair{outro, caminho.string()}}) {
            TRelatorioGravado relatorio;
            TMigracao migracao(relatorio);
            EXPECT_EQ(migracao.Iniciar(origem, destino), TResultadoMigracao::Abandonada) << outro;
            EXPECT_EQ(relatorio.Abandonos, std::vector<std::string>{Iguais}) << outro;
            EsperarNadaMostrado(relatorio);
        }
    }

    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    EXPECT_GT(Contar(conexao, "select count(*) from CLIENTES"), 0);
    EXPECT_EQ(Contar(conexao, "select count(*) from PORTADORES where POR_ATIVO is null"), 1);
    conexao.Desconectar();
    fs::remove(simbolico);
    fs::remove(fisico);
}

TEST(VersaoTest, VersoesDiferentesAbandonamSemTocarEmNada)
{
    TParMigracao par;
    par.Destino.ExecutarScript("insert into SCRIPTS (NOME) values ('000151_0151.SQL');");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Abandonada);
    EXPECT_EQ(relatorio.Abandonos,
              std::vector<std::string>{
                  "Versão do banco de dados de ORIGEM (0150) e DESTINO (0151) devem ser iguais."});
    EXPECT_TRUE(relatorio.FocoNoOk);
    EsperarNadaMostrado(relatorio);
    EXPECT_EQ(Contar(par.ConexaoOrigem, "select count(*) from PORTADORES where POR_ATIVO is null"), 1);
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
}

// The version is the four characters after the seventh of the greatest script name of the
// form six digits, any character, four digits, ".SQL".
TEST(VersaoTest, VersaoVemDoMaiorNomeDeScriptValido)
{
    const struct {
        std::vector<std::string> Scripts;
        std::string Versao;
    } casos[] = {
        {{}, ""},
        {{"000001_0001.SQL", "000150A0150.SQL", "LEIAME.TXT"}, "0150"},
        {{"000151_0149.SQL", "000150A0150.SQL"}, "0149"},
        {{"12345_0001.SQL", "000001_0001.sql", "0000010_0001.SQL"}, ""},
        {{"999999X0007.SQL", "000001_0001.SQL"}, "0007"},
    };
    TBancoTeste banco(NomeTesteAtual(), TBancoTeste::TConteudo::Esquema);
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    for (const auto& caso : casos) {
        conexao.Executar("delete from SCRIPTS");
        for (const std::string& script : caso.Scripts)
            conexao.Executar("insert into SCRIPTS (NOME) values ('" + script + "')");
        EXPECT_EQ(TVerificacoesIniciais::LerVersao(conexao), caso.Versao)
            << ::testing::PrintToString(caso.Scripts);
    }
}

// A database that cannot be read while the versions are compared is not the run's failure:
// the error leaves the Start command and the log is not touched.
TEST(VersaoTest, BancoInacessivelSaiDoComandoComOErro)
{
    TBancoTeste semScripts(NomeTesteAtual() + "-vazio", TBancoTeste::TConteudo::Vazio);
    TBancoTeste aplicacao(NomeTesteAtual() + "-aplicacao");
    const std::pair<std::string, std::string> casos[] = {
        {"/nao/existe/origem.fdb", aplicacao.Caminho()},
        {aplicacao.Caminho(), semScripts.Caminho()},
    };
    for (const auto& [origem, destino] : casos) {
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        try {
            migracao.Iniciar(origem, destino);
            ADD_FAILURE() << origem << " -> " << destino;
        } catch (const EBancoDados& erro) {
            const std::string mensagem = erro.what();
            // Which database it was, after what happened and what to do where the failure is of
            // a kind the operator can mend (a missing file), then the server's text.
            EXPECT_TRUE(mensagem.rfind("Banco de dados de ", 0) == 0 ||
                        (mensagem.rfind("Arquivo inacessível: ", 0) == 0 &&
                         mensagem.find("\r\nBanco de dados de ") != std::string::npos))
                << mensagem;
            EXPECT_NE(mensagem.find(std::string("\r\n") + EBancoDados::Prefixo), std::string::npos)
                << mensagem;
        }
        EXPECT_TRUE(relatorio.Abandonos.empty());
        EsperarNadaMostrado(relatorio);
        EXPECT_FALSE(migracao.EmExecucao());
    }
}

} // namespace
