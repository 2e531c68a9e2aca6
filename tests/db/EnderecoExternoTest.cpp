#include "BancoTeste.h"
#include "Conexao.h"
#include "CopiaExterna.h"
#include "CopiaTabela.h"
#include "EnderecoExterno.h"
#include "LeituraTeste.h"
#include "LocalidadeUtf8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

const char* const Tabela = "create table NUMEROS (ID integer not null primary key, "
                           "NOME varchar(20));";

// Whether the destination's server opens a source for an external read, asked of the real
// server: under any path the file system holds, also one WIN1252 cannot write, it does, and the
// table then goes the server's way; with the wrong password or a missing file it does not, and
// the password never shows in the reason.
struct TCasoEndereco {
    const char* Nome;
    const char* Pasta; // the source's folder under the test's own; empty: a missing file
    const char* Senha; // the password the destination's server presents; empty: the right one
    bool Abre;
};

void PrintTo(const TCasoEndereco& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class EnderecoExternoTest : public ::testing::TestWithParam<TCasoEndereco> {
protected:
    // The client library reads the locale once, at its first attachment.
    static void SetUpTestSuite() { AdotarLocalidadeUtf8(); }
};

TEST_P(EnderecoExternoTest, ServidorDoDestinoAbreAOrigem)
{
    const TCasoEndereco& caso = GetParam();
    TBancoTeste modelo("endereco-origem", TBancoTeste::TConteudo::Vazio);
    modelo.ExecutarScript(std::string(Tabela) +
                          "insert into NUMEROS values (1, 'um');"
                          "insert into NUMEROS values (2, 'dois');");
    TBancoTeste banco("endereco-destino", TBancoTeste::TConteudo::Vazio);
    banco.ExecutarScript(Tabela);

    std::string caminho = "/nao/existe/origem.fdb";
    if (*caso.Pasta) {
        const fs::path pasta = fs::path(TBancoTeste::Pasta()) / caso.Nome / caso.Pasta;
        fs::create_directories(pasta);
        fs::permissions(pasta, fs::perms::all);
        caminho = (pasta / "origem.fdb").string();
        fs::copy_file(modelo.Caminho(), caminho, fs::copy_options::overwrite_existing);
        fs::permissions(caminho, fs::perms::all);
    }
    TConexao origem;
    TConexao destino;
    origem.DefinirBanco(caminho);
    destino.DefinirBanco(banco.Caminho());
    TPerfilConexao perfil = origem.Perfil();
    if (*caso.Senha)
        perfil.Senha = caso.Senha;

    // On the destination's own server the source is read by its path, in the server's own
    // process; told of a port, the server takes it for another and reads it through the
    // network.
    std::string motivo, motivoRede;
    const std::optional<TLeituraExterna> propria =
        EscolherLeituraExterna(destino, perfil, caminho, &motivo);
    TPerfilConexao outraPorta = perfil;
    outraPorta.Porta = "3050";
    const std::optional<TLeituraExterna> pelaRede =
        EscolherLeituraExterna(destino, outraPorta, caminho, &motivoRede);
    EXPECT_FALSE(destino.EmTransacao());
    if (!caso.Abre) {
        EXPECT_FALSE(propria);
        EXPECT_FALSE(pelaRede);
        for (const std::string& texto : {motivo, motivoRede}) {
            EXPECT_FALSE(texto.empty());
            EXPECT_EQ(texto.find("errada"), std::string::npos) << texto;
        }
        return;
    }
    ASSERT_TRUE(propria) << motivo;
    EXPECT_EQ(propria->Endereco, caminho);
    EXPECT_TRUE(propria->SemRede);
    ASSERT_TRUE(pelaRede) << motivoRede;
    EXPECT_EQ(pelaRede->Endereco, "127.0.0.1/3050:" + caminho);
    EXPECT_FALSE(pelaRede->SemRede);

    TCopiaTabela copia(origem, destino);
    copia.Leitor().DefinirSQLLeitura("select ID,NOME from NUMEROS");
    copia.Escritor().DefinirSQLLeitura("select ID,NOME from NUMEROS");
    TCopiaExterna externa(copia);
    EXPECT_EQ(externa.Executar(), 2);
    EXPECT_EQ(externa.Caminho(), TCaminhoCopia::Servidor) << externa.MotivoCliente();
    EXPECT_EQ(Linhas(destino, "select ID, NOME from NUMEROS order by ID"),
              Linhas(origem, "select ID, NOME from NUMEROS order by ID"));
}

INSTANTIATE_TEST_SUITE_P(
    Casos, EnderecoExternoTest,
    ::testing::Values(TCasoEndereco{"Ascii", "simples", "", true},
                      TCasoEndereco{"Acentos", "São Paulo", "", true},
                      TCasoEndereco{"ForaDoWin1252", "Ωmega", "", true},
                      TCasoEndereco{"SenhaErrada", "simples", "senha-errada", false},
                      TCasoEndereco{"ArquivoAusente", "", "", false}),
    [](const auto& info) { return info.param.Nome; });

} // namespace
