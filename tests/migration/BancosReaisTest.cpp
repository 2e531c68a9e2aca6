#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "LocalidadeUtf8.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "PassosGatilhos.h"
#include "RelatorioGravado.h"
#include "VerificacoesIniciais.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// The message of the database failure an action raises.
std::string MensagemDaFalha(const std::function<void()>& acao)
{
    try {
        acao();
    } catch (const EBancoDados& erro) {
        return erro.what();
    }
    ADD_FAILURE() << "deveria falhar";
    return {};
}

// Runs a whole migration of a pair, which must conclude.
void Migrar(const std::string& origem, const std::string& destino)
{
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(origem, destino), TResultadoMigracao::Concluida)
        << (relatorio.Linhas.empty() ? relatorio.Abandonos.back() : relatorio.Linhas.back());
}

// What customers' databases hold beyond the fixture, run on both databases of a pair; the
// table PTBR must come through a whole run as it is in the source.
struct TCasoBancoReal {
    const char* Nome;
    const char* Esquema;
};

class BancoRealTest : public ::testing::TestWithParam<TCasoBancoReal> {};

TEST_P(BancoRealTest, MigracaoCompletaCopiaATabela)
{
    TParMigracao par;
    for (TBancoTeste* banco : {&par.Origem, &par.Destino})
        banco->ExecutarScript(GetParam().Esquema);
    par.Origem.ExecutarScript("insert into PTBR values (1, 'Ação Ímpar', 'ÇÃO');\n"
                              "insert into PTBR values (2, null, null);\n");
    par.Desconectar();

    ASSERT_NO_FATAL_FAILURE(Migrar(par.Origem.Caminho(), par.Destino.Caminho()));
    EXPECT_EQ(LinhasTabela(par.ConexaoDestino, "PTBR"), LinhasTabela(par.ConexaoOrigem, "PTBR"));
    EXPECT_EQ(Contar(par.ConexaoDestino, "select count(*) from PTBR"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, BancoRealTest,
    ::testing::Values(
        TCasoBancoReal{"colacao_por_coluna",
                       "create table PTBR (ID integer not null primary key, "
                       "NOME varchar(20) character set WIN1252 collate WIN_PTBR, "
                       "SIGLA char(3) character set WIN1252 collate WIN_PTBR);"},
        TCasoBancoReal{"colacao_padrao_do_banco",
                       "alter character set WIN1252 set default collation WIN_PTBR;\ncommit;\n"
                       "create table PTBR (ID integer not null primary key, NOME varchar(20), "
                       "SIGLA char(3));"}),
    [](const auto& info) { return std::string(info.param.Nome); });

// A table and a trigger whose names need quotes: the NULL fill of the yes/no columns and the
// switching of the triggers off and on reach them like any other.
TEST(BancosReaisTest, NomesComAspasNosBlocosDoServidor)
{
    TParMigracao par;
    const std::string esquema =
        "create table \"notas\" (ID integer not null primary key, \"pago\" LOGICO, "
        "ATIVO LOGICO);\n";
    par.Origem.ExecutarScript(esquema + "insert into \"notas\" values (1, null, 'S');\n"
                                        "insert into \"notas\" values (2, 'S', null);\n");
    par.Destino.ExecutarScript(
        esquema + "set term ^;\ncreate trigger \"marcas bi2\" for MARCAS before insert as "
                  "begin new.MAR_DESCRICAO = 'do gatilho'; end^\nset term ;^\n");
    par.Desconectar();

    ASSERT_NO_FATAL_FAILURE(Migrar(par.Origem.Caminho(), par.Destino.Caminho()));

    EXPECT_EQ(LinhasTabela(par.ConexaoOrigem, "notas"),
              (std::vector<std::string>{"[1]|[N]|[S]|", "[2]|[S]|[N]|"}));
    EXPECT_EQ(LinhasTabela(par.ConexaoDestino, "notas"), LinhasTabela(par.ConexaoOrigem, "notas"));
    // Off during the copy (the copied descriptions stay), on again afterwards.
    EXPECT_EQ(LinhasTabela(par.ConexaoDestino, "MARCAS"), LinhasTabela(par.ConexaoOrigem, "MARCAS"));
    EXPECT_TRUE(Gatilhos(par.ConexaoDestino).at("marcas bi2"));
}

// Paths with accents need the programs' UTF-8 locale, taken before any attachment.
class TLocaleUtf8 : public ::testing::Environment {
public:
    void SetUp() override { AdotarLocalidadeUtf8(); }
};

[[maybe_unused]] const auto* const LocaleUtf8 =
    ::testing::AddGlobalTestEnvironment(new TLocaleUtf8);

// A trigger statement of the block that fails (here: another attachment is altering the same
// trigger) names the trigger after the server's message.
TEST(BancosReaisTest, GatilhoQueFalhaEhNomeado)
{
    TBancoTeste banco(NomeTesteAtual());
    banco.ExecutarScript("set term ^;\ncreate trigger \"marcas bi2\" for MARCAS before insert as "
                         "begin end^\nset term ;^\n");
    TConexao destino, outra;
    destino.DefinirBanco(banco.Caminho());
    outra.DefinirBanco(banco.Caminho());
    outra.IniciarTransacao();
    outra.Executar("alter trigger \"marcas bi2\" inactive");

    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TPassosGatilhos passos({destino, destino, acompanhamento, cancelamento});
    const std::string mensagem = MensagemDaFalha([&] { passos.DesativarGatilhos(); });
    EXPECT_EQ(mensagem.rfind(EBancoDados::Prefixo, 0), 0u) << mensagem;
    EXPECT_TRUE(mensagem.ends_with("\r\nGatilho: marcas bi2")) << mensagem;
    outra.Rollback();
}

// A pair in a folder whose name has accents and a blank, as a Portuguese desktop has: the
// paths reach the server as the system spells them.
TEST(BancosReaisTest, PastaComAcentosEBranco)
{
    TParMigracao par;
    par.Desconectar();
    const fs::path pasta = fs::path(TBancoTeste::Pasta()) / "Área de Trabalho";
    fs::create_directories(pasta);
    fs::permissions(pasta, fs::perms::all);
    const std::string origem = (pasta / "origem.fdb").string();
    const std::string destino = (pasta / "destino.fdb").string();
    for (const auto& [de, para] : {std::pair{par.Origem.Caminho(), origem},
                                   std::pair{par.Destino.Caminho(), destino}}) {
        fs::copy_file(de, para);
        fs::permissions(para, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read | fs::perms::group_write |
                                  fs::perms::others_read | fs::perms::others_write);
    }

    ASSERT_NO_FATAL_FAILURE(Migrar(origem, destino));
    TConexao conexaoOrigem, conexaoDestino;
    conexaoOrigem.DefinirBanco(origem);
    conexaoDestino.DefinirBanco(destino);
    EXPECT_EQ(LinhasTabela(conexaoDestino, "MARCAS"), LinhasTabela(conexaoOrigem, "MARCAS"));
}

// A database that cannot be read while the versions are compared is named, ahead of the
// server's own message.
class BancoInacessivelTest : public ::testing::TestWithParam<bool> {};

TEST_P(BancoInacessivelTest, FalhaNomeiaOBancoEOCaminho)
{
    const bool destinoInacessivel = GetParam();
    TBancoTeste bom(NomeTesteAtual());
    const std::string inexistente = TBancoTeste::Pasta() + "/nao-existe.fdb";
    TConexao origem, destino;
    origem.DefinirBanco(destinoInacessivel ? bom.Caminho() : inexistente);
    destino.DefinirBanco(destinoInacessivel ? inexistente : bom.Caminho());
    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TVerificacoesIniciais verificacoes({origem, destino, acompanhamento, cancelamento});
    const std::string mensagem = MensagemDaFalha([&] { verificacoes.ValidarVersao(); });
    const std::string inicio = std::string("Banco de dados de ") +
                               (destinoInacessivel ? "DESTINO" : "ORIGEM") +
                               " não pôde ser lido: " + inexistente + "\r\n" +
                               EBancoDados::Prefixo;
    EXPECT_EQ(mensagem.rfind(inicio, 0), 0u) << mensagem;
    EXPECT_NE(mensagem.find("I/O error"), std::string::npos) << mensagem;
    EXPECT_TRUE(relatorio.Abandonos.empty());
}

INSTANTIATE_TEST_SUITE_P(Casos, BancoInacessivelTest, ::testing::Bool(),
                         [](const auto& info) {
                             return std::string(info.param ? "destino" : "origem");
                         });

} // namespace
