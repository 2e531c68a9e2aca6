#include "BancoTeste.h"
#include "Conexao.h"
#include "Consulta.h"
#include "ErroBancoDados.h"
#include "FalhaNoPrazo.h"
#include "ObservadorOcupado.h"
#include "RetransmissorTcp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace {

std::string Texto(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoTexto();
}

std::int64_t Contar(TConexao& conexao, const std::string& tabela)
{
    TConsulta consulta(&conexao, "select count(*) from " + tabela);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro64();
}

class ConexaoTest : public ::testing::Test {
protected:
    TBancoTeste FBanco{"conexao"};
    TConexao FConexao;
    void SetUp() override { FConexao.DefinirBanco(FBanco.Caminho()); }
};

TEST_F(ConexaoTest, ResultadoVazioLeComoNulo)
{
    TConsulta consulta(&FConexao, "select EMPRESA, NOME from EMPRESAS where EMPRESA = -1");
    consulta.Abrir();
    EXPECT_TRUE(consulta.Eof());
    EXPECT_EQ(consulta.TotalRegistros(), 0);
    EXPECT_EQ(consulta.Campo("NOME").ComoTexto(), "");
    EXPECT_EQ(consulta.Campo("EMPRESA").ComoInteiro(), 0);
    EXPECT_THROW(consulta.Campo("NAO_EXISTE"), EBancoDados);
}

TEST_F(ConexaoTest, CharPerdeBrancosFinaisEVarcharGuarda)
{
    EXPECT_EQ(Texto(FConexao, "select RDB$RELATION_NAME from RDB$RELATIONS "
                              "where RDB$RELATION_NAME = 'CLIENTES'"),
              "CLIENTES");
    EXPECT_EQ(Texto(FConexao, "select C_VARCHAR from TIPOS_DADOS where ID = 3"), "   espaços   ");
    EXPECT_EQ(Texto(FConexao, "select C_CHAR from TIPOS_DADOS where ID = 1"), "ÀÉÎÕÜ");
    EXPECT_EQ(Texto(FConexao, "select C_BLOB_TEXTO from TIPOS_DADOS where ID = 1"),
              "Blob de texto com acentos: àéíóú");
}

TEST_F(ConexaoTest, ParametrosFicamForaDeTextoEntreAspas)
{
    TConsulta consulta(&FConexao, "select NOME, ':NAO' as LITERAL from EMPRESAS "
                                  "where NOME = :NOME and ATIVA = :ativa");
    consulta.Parametro("NOME", "Filial Ribeirão");
    consulta.Parametro("ATIVA", "S");
    consulta.Abrir();
    ASSERT_EQ(consulta.TotalRegistros(), 1);
    EXPECT_EQ(consulta.Campo("nome").ComoTexto(), "Filial Ribeirão");
    EXPECT_EQ(consulta.Campo("LITERAL").ComoTexto(), ":NAO");
}

TEST_F(ConexaoTest, ConsultaAbertaGuardaAsLinhasDepoisDeUmDelete)
{
    TConsulta consulta(&FConexao, "select EMPRESA from EMPRESAS order by EMPRESA");
    consulta.Abrir();
    FConexao.Executar("delete from EMPRESAS");
    EXPECT_EQ(Contar(FConexao, "EMPRESAS"), 0);
    std::vector<int> lidas;
    for (consulta.Primeiro(); !consulta.Eof(); consulta.Proximo())
        lidas.push_back(consulta.Campo(0).ComoInteiro());
    EXPECT_EQ(lidas, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ConexaoTest, CommitSemTransacaoNaoFazNada)
{
    FConexao.Executar("update EMPRESAS set NOME = 'X' where EMPRESA = 4");
    EXPECT_FALSE(FConexao.EmTransacao());
    EXPECT_NO_THROW(FConexao.Commit());
    EXPECT_NO_THROW(FConexao.Commit());
}

TEST_F(ConexaoTest, ExecuteBlockChegaComoEscritoEFalhaPorInteiro)
{
    // The inner statements run in order; the third fails, so the first two are undone too.
    const std::string bloco =
        "execute block as  declare variable stmt varchar(1000); begin  for select "
        "'update EMPRESAS set NOME = ''Z'' where EMPRESA = ' || EMPRESA from EMPRESAS "
        "order by EMPRESA into :stmt do begin execute statement :stmt; end "
        "execute statement 'update NAO_EXISTE set A = 1'; end";
    EXPECT_THROW(FConexao.Executar(bloco), EBancoDados);
    EXPECT_EQ(Texto(FConexao, "select count(*) from EMPRESAS where NOME = 'Z'"), "0");
    EXPECT_FALSE(FConexao.EmTransacao());
}

TEST_F(ConexaoTest, MensagemDeErroTemAsEtiquetasELinhasCrLf)
{
    try {
        FConexao.Executar("delete from NAO_EXISTE");
        FAIL() << "o delete deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_EQ(mensagem.rfind("[VorelDB][Phys][FB]Dynamic SQL Error\r\n", 0), 0u) << mensagem;
        EXPECT_NE(mensagem.find("\r\nTable unknown\r\nNAO_EXISTE\r\n"), std::string::npos);
        EXPECT_EQ(erro.CodigoSql(), -204);
        // The SQL code's own text closes the message.
        EXPECT_NE(mensagem.rfind("\r\n"), std::string::npos);
        EXPECT_EQ(mensagem.find('\n', mensagem.rfind("\r\n") + 2), std::string::npos);
        EXPECT_NE(erro.CodigoMotor(), 0);
    }
    // The connection is still usable after the failure.
    EXPECT_EQ(Contar(FConexao, "EMPRESAS"), 4);
}

TEST_F(ConexaoTest, DefinirBancoTrocaOArquivoEFechaConsultas)
{
    TBancoTeste outro("conexao-outro", TBancoTeste::TConteudo::Esquema);
    TConsulta consulta(&FConexao, "select EMPRESA from EMPRESAS");
    consulta.Abrir();
    EXPECT_EQ(Contar(FConexao, "EMPRESAS"), 4);
    FConexao.DefinirBanco(outro.Caminho());
    EXPECT_FALSE(consulta.Aberta());
    EXPECT_EQ(Contar(FConexao, "EMPRESAS"), 0);
}

TEST_F(ConexaoTest, InteirosDe64BitsENumericos)
{
    TConsulta consulta(&FConexao, "select C_BIGINT, C_NUMERIC_4_2, C_INTEGER, "
                                  "gen_id(PEDIDO, 0) as PEDIDO from TIPOS_DADOS where ID = 1");
    consulta.Abrir();
    EXPECT_EQ(consulta.Campo("C_BIGINT").ComoInteiro64(), INT64_MIN);
    EXPECT_THROW(consulta.Campo("C_BIGINT").ComoInteiro(), EBancoDados);
    EXPECT_EQ(consulta.Campo("C_NUMERIC_4_2").ComoTexto(), "-99.99");
    EXPECT_EQ(consulta.Campo("C_INTEGER").ComoInteiro(), INT32_MIN);
    EXPECT_EQ(consulta.Campo("PEDIDO").ComoInteiro64(), 5000000000);
    EXPECT_THROW(consulta.Campo("PEDIDO").ComoInteiro(), EBancoDados);
}

TEST_F(ConexaoTest, TransacaoExplicitaSoTerminaPorCommitOuRollback)
{
    TConexao outra;
    outra.DefinirBanco(FBanco.Caminho());
    FConexao.IniciarTransacao();
    FConexao.Executar("delete from ICMS");
    EXPECT_TRUE(FConexao.EmTransacao());
    EXPECT_EQ(Contar(outra, "ICMS"), 2);
    FConexao.Rollback();
    EXPECT_EQ(Contar(outra, "ICMS"), 2);
    FConexao.IniciarTransacao();
    FConexao.Executar("delete from ICMS");
    FConexao.Commit();
    EXPECT_EQ(Contar(outra, "ICMS"), 0);
}

// Work nobody committed (a copy that failed half way, say) never outlives the connection,
// however it ends.
TEST_F(ConexaoTest, TransacaoAbertaEhDesfeitaQuandoAConexaoTermina)
{
    const std::vector<std::pair<const char*, std::function<void(std::optional<TConexao>&)>>>
        finais = {
            {"destruída", [](std::optional<TConexao>& conexao) { conexao.reset(); }},
            {"desconectada", [](std::optional<TConexao>& conexao) { conexao->Desconectar(); }},
            {"apontada para outro banco",
             [this](std::optional<TConexao>& conexao) { conexao->DefinirBanco(FBanco.Caminho()); }},
        };
    for (const auto& [nome, terminar] : finais) {
        std::optional<TConexao> conexao(std::in_place);
        conexao->DefinirBanco(FBanco.Caminho());
        conexao->IniciarTransacao();
        conexao->Executar("delete from ICMS");
        terminar(conexao);
        EXPECT_EQ(Contar(FConexao, "ICMS"), 2) << nome;
    }
}

TEST_F(ConexaoTest, AnexoDerrubadoPeloServidorEhRefeitoNaProximaOperacao)
{
    const std::string anexo = Texto(FConexao, "select CURRENT_CONNECTION from RDB$DATABASE");
    TConexao administrador;
    administrador.DefinirBanco(FBanco.Caminho());
    administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = " + anexo);

    // The operation that meets the dropped attachment fails with the server's word for it;
    // the one after it attaches anew.
    EXPECT_THROW(Contar(FConexao, "EMPRESAS"), EBancoDados);
    EXPECT_FALSE(FConexao.Conectado());
    EXPECT_EQ(Contar(FConexao, "EMPRESAS"), 4);
}

// A server may drop an attachment and then never answer on its socket again. The attachment
// that meets the drop is let go without waiting on that server: the relay stands for it, going
// silent once the drop has reached the client, and stays so until told to close.
TEST_F(ConexaoTest, AnexoDerrubadoNaoEsperaPeloServidorQueSeCala)
{
    TRetransmissorTcp retransmissor(3050);
    TPerfilConexao perfil;
    perfil.Porta = std::to_string(retransmissor.Porta());
    TConexao conexao(perfil);
    conexao.DefinirBanco(FBanco.Caminho());
    conexao.IniciarTransacao();
    const std::string anexo = Texto(conexao, "select CURRENT_CONNECTION from RDB$DATABASE");
    retransmissor.EmudecerAposResposta();
    TConexao administrador;
    administrador.DefinirBanco(FBanco.Caminho());
    administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = " + anexo);

    const TFalhaNoPrazo falha =
        FalharNoPrazo(retransmissor, [&conexao] { conexao.Executar("delete from ICMS"); });
    EXPECT_TRUE(falha.NoPrazo) << "a conexão esperou pelo servidor calado";
    ASSERT_TRUE(falha.Erro.has_value());
    EXPECT_TRUE(falha.Erro->PerdaDeConexao()) << falha.Erro->what();
    EXPECT_FALSE(conexao.Conectado());
    EXPECT_EQ(Contar(FConexao, "ICMS"), 2);
}

class TObservadorContador : public IObservadorOcupado {
public:
    int Inicios = 0, Fins = 0;
    void InicioTrabalhoBanco() override { ++Inicios; }
    void FimTrabalhoBanco() override { ++Fins; }
};

TEST_F(ConexaoTest, AnunciaInicioEFimDoTrabalho)
{
    TObservadorContador observador;
    DefinirObservadorOcupado(&observador);
    FConexao.Executar("update EMPRESAS set ATIVA = 'S' where EMPRESA = 4");
    EXPECT_THROW(FConexao.Executar("update NAO_EXISTE set A = 1"), EBancoDados);
    Contar(FConexao, "EMPRESAS");
    DefinirObservadorOcupado(nullptr);
    EXPECT_GE(observador.Inicios, 3);
    EXPECT_EQ(observador.Inicios, observador.Fins);
}

// Each bad target fails with the server's message in the usual form, leaves the connection
// detached, and the same connection works once it points somewhere sound.
struct TCasoEntradaRuim {
    const char* Nome;
    TPerfilConexao Perfil;
    std::string Arquivo; // empty: a file that does not exist
    const char* Trecho;
};

class EntradaRuimTest : public ::testing::TestWithParam<TCasoEntradaRuim> {};

TEST_P(EntradaRuimTest, FalhaComAMensagemDoServidorESeRecupera)
{
    const auto& caso = GetParam();
    TBancoTeste bom(std::string("bom-") + caso.Nome);
    std::string arquivo = TBancoTeste::Pasta() + "/nao-existe.fdb";
    if (!caso.Arquivo.empty()) {
        arquivo = TBancoTeste::Pasta() + "/" + caso.Arquivo;
        std::ofstream saida(arquivo);
        for (int i = 0; i < 4096; ++i)
            saida << "isto não é um banco de dados\n";
        saida.close();
        std::filesystem::permissions(arquivo, std::filesystem::perms::all);
    }
    TConexao conexao(caso.Perfil);
    conexao.DefinirBanco(arquivo);
    try {
        Contar(conexao, "EMPRESAS");
        FAIL() << "deveria falhar";
    } catch (const EBancoDados& erro) {
        const std::string mensagem = erro.what();
        EXPECT_EQ(mensagem.rfind(EBancoDados::Prefixo, 0), 0u) << mensagem;
        EXPECT_NE(mensagem.find(caso.Trecho), std::string::npos) << mensagem;
    }
    EXPECT_FALSE(conexao.Conectado());
    if (caso.Perfil.Porta.empty() && caso.Perfil.Senha == TPerfilConexao{}.Senha) {
        conexao.DefinirBanco(bom.Caminho());
        EXPECT_EQ(Contar(conexao, "EMPRESAS"), 4);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EntradaRuimTest,
    ::testing::Values(
        TCasoEntradaRuim{"inexistente", {}, "", "I/O error"},
        TCasoEntradaRuim{"nao-banco", {}, "texto.fdb", "not a valid database"},
        TCasoEntradaRuim{"senha", {.Senha = "errada"}, "", "password"},
        TCasoEntradaRuim{"servidor-parado", {.Porta = "3059"}, "", "connect"}),
    [](const auto& info) {
        std::string nome = info.param.Nome;
        std::replace(nome.begin(), nome.end(), '-', '_');
        return nome;
    });

} // namespace
