#include "BancoTeste.h"
#include "ErroBancoDados.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RegistroChavesPendentes.h"
#include "Retomada.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <pwd.h>
#include <regex>
#include <spawn.h>
#include <csignal>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

struct TExecucao {
    int Codigo = -1;
    std::string Saida;
    std::string Erros;
};

std::string Ler(const std::string& caminho)
{
    std::ifstream arquivo(caminho, std::ios::binary);
    std::ostringstream texto;
    texto << arquivo.rdbuf();
    return texto.str();
}

// When to send a signal to the command line, and which: as soon as the condition holds on
// what its log shows so far (the process's id given, for a look at the server).
struct TSinalTeste {
    std::function<bool(const std::string& saida, pid_t processo)> Quando;
    int Sinal = SIGINT;
};

// The command's attachments to the database: how many statements of theirs the server is
// running now whose text contains the mark (any statement, for an empty mark).
std::int64_t InstrucoesEmCurso(const std::string& banco, pid_t processo, const std::string& marca)
{
    TConexao conexao;
    conexao.DefinirBanco(banco);
    return Contar(conexao, "select count(*) from MON$STATEMENTS S join MON$ATTACHMENTS A on "
                           "A.MON$ATTACHMENT_ID = S.MON$ATTACHMENT_ID where S.MON$STATE = 1 "
                           "and A.MON$REMOTE_PID = " +
                               std::to_string(processo) + " and S.MON$SQL_TEXT containing '" +
                               marca + "'");
}

// A process that outlives its stop by this long did not stop: its statements are ended by the
// server (its attachments dropped) and the process killed, so nothing runs on after the test.
constexpr auto PrazoParada = std::chrono::seconds(60);

void Encerrar(pid_t processo, const std::vector<std::string>& bancos)
{
    for (const std::string& banco : bancos) {
        TConexao administrador;
        administrador.DefinirBanco(banco);
        administrador.Executar("delete from MON$ATTACHMENTS where MON$REMOTE_PID = " +
                               std::to_string(processo));
    }
    kill(processo, SIGKILL);
}

// Runs the command line with these arguments, its two streams going to files (not a
// terminal, so no progress line), in the given working folder or in this process's, through
// the given command when there is one (another user's rights, say). With a signal, it is sent
// as soon as its condition holds.
TExecucao Executar(const std::vector<std::string>& argumentos, const std::string& pasta = {},
                   const std::optional<TSinalTeste>& sinal = {},
                   const std::vector<std::string>& atraves = {})
{
    const std::string base = TBancoTeste::Pasta() + "/" + NomeTesteAtual();
    const std::string saida = base + ".saida";
    const std::string erros = base + ".erros";
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 1, saida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&acoes, 2, erros.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!pasta.empty())
        posix_spawn_file_actions_addchdir_np(&acoes, pasta.c_str());
    std::vector<char*> argv;
    for (const std::string& parte : atraves)
        argv.push_back(const_cast<char*>(parte.c_str()));
    argv.push_back(const_cast<char*>(VOREL_CLI));
    for (const std::string& argumento : argumentos)
        argv.push_back(const_cast<char*>(argumento.c_str()));
    argv.push_back(nullptr);

    TExecucao execucao;
    pid_t processo = 0;
    const int erro = posix_spawn(&processo, argv.front(), &acoes, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&acoes);
    if (erro != 0)
        throw std::runtime_error("não foi possível iniciar " + std::string(VOREL_CLI));
    int estado = 0;
    if (sinal) {
        while (waitpid(processo, &estado, WNOHANG) == 0) {
            if (sinal->Quando(Ler(saida), processo)) {
                kill(processo, sinal->Sinal);
                const auto prazo = std::chrono::steady_clock::now() + PrazoParada;
                while (waitpid(processo, &estado, WNOHANG) == 0) {
                    if (std::chrono::steady_clock::now() > prazo) {
                        ADD_FAILURE() << "o comando não parou em " << PrazoParada.count()
                                      << " s depois do sinal";
                        std::vector<std::string> bancos(argumentos.end() - 2, argumentos.end());
                        Encerrar(processo, bancos);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    waitpid(processo, &estado, 0);
    execucao.Codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    execucao.Saida = Ler(saida);
    execucao.Erros = Ler(erros);
    return execucao;
}

std::vector<std::string> Linhas(const std::string& texto)
{
    std::vector<std::string> linhas;
    std::istringstream fluxo(texto);
    for (std::string linha; std::getline(fluxo, linha);)
        linhas.push_back(linha);
    return linhas;
}

// The lines of a command's log on the standard output but its last, which must say where the
// log was kept.
std::vector<std::string> LinhasDoLog(const std::string& saida)
{
    std::vector<std::string> linhas = Linhas(saida);
    const std::regex final("[0-9]{2}:[0-9]{2}:[0-9]{2} - Log gravado em /.+/logs/.+\\.log\\.");
    if (linhas.empty() || !std::regex_match(linhas.back(), final)) {
        ADD_FAILURE() << "o log não termina dizendo onde foi gravado:\n" << saida;
        return linhas;
    }
    linhas.pop_back();
    return linhas;
}

struct TCasoArgumentos {
    std::string Nome;
    std::vector<std::string> Argumentos;
    int Codigo;
    std::string Saida;
    std::string Erros;
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const TCasoArgumentos& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class ArgumentosTest : public ::testing::TestWithParam<TCasoArgumentos> {};

const std::string Uso =
    "Uso: vorel-newdatabase-cli ORIGEM DESTINO\nUse --help para mais informações.\n";

TEST_P(ArgumentosTest, RespondeSemTocarEmBancoAlgum)
{
    const TExecucao execucao = Executar(GetParam().Argumentos);
    EXPECT_EQ(execucao.Codigo, GetParam().Codigo);
    EXPECT_EQ(execucao.Saida, GetParam().Saida);
    EXPECT_EQ(execucao.Erros, GetParam().Erros);
}

INSTANTIATE_TEST_SUITE_P(
    LinhaComando, ArgumentosTest,
    ::testing::Values(
        TCasoArgumentos{"Nenhum", {}, 2, "", Uso},
        TCasoArgumentos{"Um", {"/x/origem.fdb"}, 2, "", Uso},
        TCasoArgumentos{"Tres", {"/x/a.fdb", "/x/b.fdb", "/x/c.fdb"}, 2, "", Uso},
        TCasoArgumentos{"OrigemVazia", {"", "/x/destino.fdb"}, 2, "",
                        "Banco de dados de ORIGEM não foi informado.\n"},
        TCasoArgumentos{"DestinoVazio", {"/x/origem.fdb", ""}, 2, "",
                        "Banco de dados de DESTINO não foi informado.\n"},
        TCasoArgumentos{"MesmoArquivo", {"/x/a.fdb", "/x/./a.fdb"}, 2, "",
                        "Banco de dados de ORIGEM e DESTINO não podem ser iguais.\n"},
        TCasoArgumentos{"VerificarSemBancos", {"--verificar"}, 2, "", Uso},
        TCasoArgumentos{"VerificarTresBancos", {"--verificar", "/x/a.fdb", "/x/b.fdb", "/x/c.fdb"},
                        2, "", Uso},
        TCasoArgumentos{"VerificarSemVerificacao",
                        {"--verificar", "--sem-verificacao", "/x/a.fdb", "/x/b.fdb"}, 2, "", Uso},
        TCasoArgumentos{"OpcaoDesconhecida", {"--conferir", "/x/a.fdb", "/x/b.fdb"}, 2, "", Uso},
        TCasoArgumentos{"AjudaComBancos", {"--help", "/x/a.fdb", "/x/b.fdb"}, 2, "", Uso},
        TCasoArgumentos{"VerificarEDescartar",
                        {"--verificar", "--descartar-chaves-pendentes", "/x/a.fdb", "/x/b.fdb"}, 2,
                        "", Uso},
        TCasoArgumentos{"VerificarOrigemVazia", {"--verificar", "", "/x/destino.fdb"}, 2, "",
                        "Banco de dados de ORIGEM não foi informado.\n"},
        TCasoArgumentos{"VerificarMesmoArquivo", {"/x/a.fdb", "/x/./a.fdb", "--verificar"}, 2, "",
                        "Banco de dados de ORIGEM e DESTINO não podem ser iguais.\n"},
        TCasoArgumentos{"CompararUmBanco", {"--comparar", "/x/a.fdb"}, 2, "", Uso},
        TCasoArgumentos{"CompararEManterGravacaoForcada",
                        {"--comparar", "--manter-gravacao-forcada", "/x/a.fdb", "/x/b.fdb"}, 2,
                        "", Uso},
        TCasoArgumentos{"CompararEVerificar", {"--comparar", "--verificar", "/x/a.fdb", "/x/b.fdb"},
                        2, "", Uso},
        TCasoArgumentos{"CompararMesmoArquivo", {"--comparar", "/x/a.fdb", "/x/./a.fdb"}, 2, "",
                        "Banco de dados de ORIGEM e DESTINO não podem ser iguais.\n"}),
    [](const auto& info) { return info.param.Nome; });

TEST(LinhaComandoTest, AjudaEmPortugues)
{
    const TExecucao execucao = Executar({"--help"});
    EXPECT_EQ(execucao.Codigo, 0);
    EXPECT_EQ(execucao.Erros, "");
    EXPECT_EQ(execucao.Saida.rfind("Uso: vorel-newdatabase-cli ORIGEM DESTINO\n", 0), 0u);
    EXPECT_NE(execucao.Saida.find("Códigos de saída:"), std::string::npos);
    EXPECT_NE(execucao.Saida.find("vorel-newdatabase-cli --comparar ORIGEM DESTINO\n"),
              std::string::npos);
    EXPECT_NE(execucao.Saida.find("--descartar-chaves-pendentes ORIGEM DESTINO\n"),
              std::string::npos);
    EXPECT_NE(execucao.Saida.find("\n  4  "), std::string::npos);
    EXPECT_NE(execucao.Saida.find("\n  5  interrompida com Ctrl+C ou SIGTERM; "), std::string::npos);
    EXPECT_NE(execucao.Saida.find("--sem-verificacao ORIGEM DESTINO\n"), std::string::npos);
    EXPECT_NE(execucao.Saida.find("--manter-gravacao-forcada ORIGEM DESTINO\n"),
              std::string::npos);
    EXPECT_NE(execucao.Saida.find("\n  " + TRegistroChavesPendentes::Pasta() + "\n"),
              std::string::npos)
        << execucao.Saida;
}

// A pair in a folder whose name has accents and a blank, with an environment that names no
// locale: the path still reaches the server as the file system spells it.
TEST(LinhaComandoTest, PastaComAcentosSemLocalidadeNoAmbiente)
{
    TParMigracao par;
    par.Desconectar();
    const std::filesystem::path pasta = std::filesystem::path(TBancoTeste::Pasta()) / "Área de Trabalho";
    std::filesystem::create_directories(pasta);
    std::filesystem::permissions(pasta, std::filesystem::perms::all);
    std::vector<std::string> caminhos;
    for (const std::string& banco : {par.Origem.Caminho(), par.Destino.Caminho()}) {
        caminhos.push_back((pasta / std::filesystem::path(banco).filename()).string());
        std::filesystem::copy_file(banco, caminhos.back());
        std::filesystem::permissions(caminhos.back(), std::filesystem::perms::all);
    }

    setenv("LC_ALL", "C", 1);
    const TExecucao execucao = Executar(caminhos);
    unsetenv("LC_ALL");
    EXPECT_EQ(execucao.Codigo, 0) << execucao.Saida << execucao.Erros;
}

// A pair the checks before the run refuse: every reason on the error stream, exit 2, and
// nothing in the log, since nothing was done.
TEST(LinhaComandoTest, RecusaDaConferenciaSaiComCodigo2)
{
    TParMigracao par;
    par.Destino.ExecutarScript("create table DESTINO_APENAS (ID integer);\n"
                               "alter table ICMS add ALIQUOTA_FCP numeric(5,2);");
    par.Desconectar();

    const TExecucao execucao = Executar({par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(execucao.Codigo, 2);
    EXPECT_EQ(execucao.Saida, "");
    EXPECT_EQ(execucao.Erros, "A importação não pode ser iniciada:\n"
                              "- A tabela DESTINO_APENAS do DESTINO não existe na ORIGEM.\n"
                              "- A coluna ICMS.ALIQUOTA_FCP do DESTINO não existe na ORIGEM.\n");
}

TEST(LinhaComandoTest, VersoesDiferentesEBancoInacessivel)
{
    TParMigracao par;
    par.Destino.ExecutarScript("insert into SCRIPTS (NOME) values ('000151_0151.SQL');");
    par.Desconectar();

    // The same for a run and for a check.
    for (const std::vector<std::string>& opcoes : {std::vector<std::string>{}, {"--verificar"}}) {
        std::vector<std::string> argumentos = opcoes;
        argumentos.push_back(par.Origem.Caminho());
        argumentos.push_back(par.Destino.Caminho());
        const TExecucao versao = Executar(argumentos);
        EXPECT_EQ(versao.Codigo, 2);
        EXPECT_EQ(versao.Saida, "");
        EXPECT_EQ(versao.Erros,
                  "Versão do banco de dados de ORIGEM (0150) e DESTINO (0151) devem ser iguais.\n");

        argumentos[opcoes.size()] = "/nao/existe/origem.fdb";
        const TExecucao inacessivel = Executar(argumentos);
        EXPECT_EQ(inacessivel.Codigo, 3);
        EXPECT_EQ(inacessivel.Saida, "");
        // What happened and what to do in plain words, then which database and the server's text.
        EXPECT_EQ(inacessivel.Erros.rfind("Arquivo inacessível: ", 0), 0u) << inacessivel.Erros;
        EXPECT_NE(inacessivel.Erros.find("\nBanco de dados de ORIGEM não pôde ser lido: "
                                         "/nao/existe/origem.fdb\n"),
                  std::string::npos)
            << inacessivel.Erros;
        EXPECT_NE(inacessivel.Erros.find(EBancoDados::Prefixo), std::string::npos)
            << inacessivel.Erros;
        // The next step in the command line's words: there is no button to click.
        EXPECT_NE(inacessivel.Erros.find("execute o comando novamente; nada foi alterado."),
                  std::string::npos)
            << inacessivel.Erros;
        EXPECT_EQ(inacessivel.Erros.find("clique"), std::string::npos) << inacessivel.Erros;
    }
}

// A check prints its log as a run does; the problems and the totals end it. Exit 0 when it
// found nothing, 1 when it found an error; the databases stay as they were.
TEST(LinhaComandoTest, Verificacao)
{
    TParMigracao par;
    par.Origem.ExecutarScript("update EMPRESAS set ATIVA = 'N' where EMPRESA > 1;");
    par.Desconectar();
    const TExecucao limpo = Executar({"--verificar", par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(limpo.Codigo, 0) << limpo.Saida << limpo.Erros;
    EXPECT_EQ(limpo.Erros, "");
    const auto linhas = LinhasDoLog(limpo.Saida);
    ASSERT_FALSE(linhas.empty());
    const std::regex linhaLog("[0-9]{2}:[0-9]{2}:[0-9]{2} - .+");
    for (const std::string& linha : linhas) {
        EXPECT_TRUE(std::regex_match(linha, linhaLog)) << linha;
        EXPECT_EQ(linha.find(" - Erro: "), std::string::npos) << linha;
        EXPECT_EQ(linha.find(" - Aviso: "), std::string::npos) << linha;
    }
    EXPECT_EQ(linhas.back().substr(11), "Verificação concluída: nenhum problema encontrado.");

    par.Origem.ExecutarScript(
        "alter table PEDIDOS_ITENS drop constraint FK_PEDIDOS_ITENS_PEDIDO;"
        "insert into PEDIDOS_ITENS (PEDIDO, ITEM, EMPRESA, PRO_CODIGO) values (77, 1, 1, 100);");
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();
    const TExecucao problema =
        Executar({"--verificar", par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(problema.Codigo, 1) << problema.Saida << problema.Erros;
    const auto comProblema = LinhasDoLog(problema.Saida);
    ASSERT_GE(comProblema.size(), 2u);
    EXPECT_EQ(comProblema[comProblema.size() - 2].substr(11),
              "Erro: PEDIDOS_ITENS, chave estrangeira FK_PEDIDOS_ITENS_PEDIDO (PEDIDO): registro "
              "pai ausente na tabela PEDIDOS da ORIGEM; 1 linha (PEDIDO=77 ITEM=1).");
    EXPECT_EQ(comProblema.back().substr(11),
              "Verificação concluída: 1 erro e 0 avisos em 1 tabela.");
    EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
}

// Every log line on the standard output with its time stamp, the last one the conclusion;
// the replication triggers refused (the fixture lacks most catalogued tables) go to the error
// stream, leave a line in the log, and the run goes on.
TEST(LinhaComandoTest, ImportacaoConcluida)
{
    TParMigracao par;
    par.Desconectar();
    const TExecucao execucao = Executar({par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(execucao.Codigo, 0) << execucao.Saida << execucao.Erros;

    const auto linhas = LinhasDoLog(execucao.Saida);
    ASSERT_GT(linhas.size(), 40u);
    const std::regex linhaLog("[0-9]{2}:[0-9]{2}:[0-9]{2} - .+");
    for (const std::string& linha : linhas)
        EXPECT_TRUE(std::regex_match(linha, linhaLog)) << linha;
    EXPECT_EQ(linhas.front().substr(11),
              "Preenchendo campos do tipo boleano (que estão nulos), na base de origem...");
    EXPECT_EQ(linhas.back().substr(11), "Importação concluída.");
    // The summary closes the log too, right before its last line.
    EXPECT_EQ(linhas.end()[-2].substr(11).rfind("Total: ", 0), 0u) << linhas.end()[-2];
    EXPECT_NE(std::find_if(linhas.begin(), linhas.end(),
                           [](const std::string& linha) {
                               return linha.substr(11) == "Resumo da importação:";
                           }),
              linhas.end());

    EXPECT_EQ(execucao.Erros.rfind("Falha ao criar o gatilho da replicação da tabela ", 0), 0u)
        << execucao.Erros;
    EXPECT_NE(execucao.Erros.find("\na tabela TIPOS_TITULO não existe no banco de dados\n"),
              std::string::npos);
    EXPECT_NE(std::find_if(linhas.begin(), linhas.end(),
                           [](const std::string& linha) {
                               return linha.ends_with(" - Falha ao criar o gatilho da replicação"
                                                      " da tabela TIPOS_TITULO.");
                           }),
              linhas.end());
    EXPECT_EQ(Contar(par.ConexaoDestino, "select count(*) from PEDIDOS"), 1);
}

// The error line splits where the message begins; the foreign keys the run dropped and could
// not create again are listed on the error stream, ready to be run by hand. The run's check
// refuses such a pair first; --sem-verificacao goes ahead anyway.
TEST(LinhaComandoTest, ImportacaoQueFalhaMostraAsChavesPendentes)
{
    TParMigracao par;
    // EMPRESAS differs from the source's, so the run copies it instead of keeping it.
    par.Destino.ExecutarScript(
        "update EMPRESAS set NOME = NOME || '.';\n"
        "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    par.Desconectar();

    // The run's check refuses the pair first, listing the row the constraint would refuse, and
    // nothing changes: no key is dropped.
    const TExecucao recusa = Executar({par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(recusa.Codigo, 2);
    EXPECT_NE(recusa.Erros.find("A importação não pode ser iniciada:\n- Erro: EMPRESAS, restrição "
                                "CK_EMPRESAS_ATE_3: linha que a condição da restrição recusa;"),
              std::string::npos)
        << recusa.Erros;
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    par.Desconectar();

    // Going ahead anyway, the run meets the failure part way.
    const TExecucao execucao =
        Executar({"--sem-verificacao", par.Origem.Caminho(), par.Destino.Caminho()});
    EXPECT_EQ(execucao.Codigo, 1);
    const auto linhas = LinhasDoLog(execucao.Saida);
    const auto erro = std::find_if(linhas.begin(), linhas.end(), [](const std::string& linha) {
        return linha.find(" - Ocorreu um erro: ") != std::string::npos;
    });
    ASSERT_NE(erro, linhas.end()) << execucao.Saida;
    EXPECT_EQ(erro->substr(8), " - Ocorreu um erro: ");
    // What happened and what to do, in plain words, then the server's own text.
    ASSERT_GT(linhas.end() - erro, 3);
    EXPECT_EQ((erro + 1)->rfind("Restrição CHECK violada: uma linha da tabela EMPRESAS", 0), 0u)
        << *(erro + 1);
    EXPECT_EQ((erro + 2)->rfind("Corrija esse valor na ORIGEM", 0), 0u) << *(erro + 2);
    EXPECT_NE((erro + 2)->find("execute o comando novamente; a próxima importação completa o "
                               "DESTINO."),
              std::string::npos)
        << *(erro + 2);
    EXPECT_EQ((erro + 3)->rfind(EBancoDados::Prefixo, 0), 0u);
    EXPECT_EQ(linhas.back().find(" - "), std::string::npos) << "a mensagem é o fim do log";

    const auto erros = Linhas(execucao.Erros);
    const auto titulo = std::find(erros.begin(), erros.end(),
                                  "Chaves estrangeiras excluídas do DESTINO e ainda não recriadas:");
    ASSERT_NE(titulo, erros.end()) << execucao.Erros;
    const auto fim = erros.end() - 1;
    EXPECT_EQ(static_cast<std::size_t>(fim - titulo - 1), chaves.size());
    for (auto linha = titulo + 1; linha != fim; ++linha)
        EXPECT_TRUE(linha->rfind("alter table ", 0) == 0 && linha->back() == ';') << *linha;
    EXPECT_EQ(*fim, std::string("Guardadas na tabela ") + TRegistroChavesPendentes::Tabela +
                        " do DESTINO e em " +
                        TMigracao::ArquivoChavesPendentes(par.Destino.Caminho()) +
                        "; a próxima importação neste DESTINO as recria.");
    EXPECT_TRUE(std::filesystem::exists(TMigracao::ArquivoChavesPendentes(par.Destino.Caminho())));

    // What the list says can be run as it stands.
    TConexao destino;
    destino.DefinirBanco(par.Destino.Caminho());
    for (auto linha = titulo + 1; linha != fim; ++linha)
        destino.Executar(linha->substr(0, linha->size() - 1));
    EXPECT_EQ(ChavesEstrangeiras(destino), chaves);
}

struct TCasoRegistro {
    std::string Nome;
    // Damages the record a failed run left; the pair is disconnected afterwards.
    std::function<void(TParMigracao& par)> Danificar;
    // What the refusal must name.
    std::function<std::string(TParMigracao& par)> Trecho;
    std::size_t ChavesAoFim;
    bool ArquivoPostoDeLado = false; // the damaged file, kept for the technician
};

void PrintTo(const TCasoRegistro& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class RegistroChavesPendentesTest : public ::testing::TestWithParam<TCasoRegistro> {};

// A run left FK_PEDIDOS_ITENS_PEDIDO pending (an item without its order); the orphan is gone,
// but the record is damaged, or names a key the destination can no longer have. The next run
// refuses before it changes anything, naming what is wrong and how to go on; with
// --descartar-chaves-pendentes it leaves that out and creates every key it still can.
TEST_P(RegistroChavesPendentesTest, RecusaSemTocarEmNadaEDescartaComAOpcao)
{
    TParMigracao par;
    par.Origem.ExecutarScript(
        "alter table PEDIDOS_ITENS drop constraint FK_PEDIDOS_ITENS_PEDIDO;\n"
        "insert into PEDIDOS_ITENS (PEDIDO, ITEM, EMPRESA, PRO_CODIGO) values (999, 1, 1, 100);");
    ASSERT_EQ(ChavesEstrangeiras(par.ConexaoDestino).size(), 8u);
    par.Desconectar();
    const std::string& origem = par.Origem.Caminho();
    const std::string& destino = par.Destino.Caminho();
    const TExecucao falha = Executar({"--sem-verificacao", origem, destino});
    ASSERT_EQ(falha.Codigo, 1) << falha.Saida << falha.Erros;
    par.Origem.ExecutarScript("delete from PEDIDOS_ITENS where PEDIDO = 999;");
    GetParam().Danificar(par);
    par.Desconectar();

    const std::string arquivo = TMigracao::ArquivoChavesPendentes(destino);
    const std::string registro = Ler(arquivo);
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();
    const TExecucao recusa = Executar({origem, destino});
    EXPECT_EQ(recusa.Codigo, 2) << recusa.Saida << recusa.Erros;
    EXPECT_EQ(recusa.Saida, "");
    EXPECT_EQ(recusa.Erros.rfind("A importação não pode ser iniciada:\n", 0), 0u) << recusa.Erros;
    EXPECT_NE(recusa.Erros.find(GetParam().Trecho(par)), std::string::npos) << recusa.Erros;
    EXPECT_NE(recusa.Erros.find("--descartar-chaves-pendentes"), std::string::npos);
    EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
    EXPECT_EQ(Ler(arquivo), registro);
    par.Desconectar();

    const TExecucao descarte = Executar({"--descartar-chaves-pendentes", origem, destino});
    EXPECT_EQ(descarte.Codigo, 0) << descarte.Saida << descarte.Erros;
    EXPECT_NE(descarte.Saida.find(" - Descartado: " + GetParam().Trecho(par)), std::string::npos)
        << descarte.Saida;
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino).size(), GetParam().ChavesAoFim);
    EXPECT_EQ(Contar(par.ConexaoDestino, std::string("select count(*) from RDB$RELATIONS where "
                                                     "RDB$RELATION_NAME = '") +
                                             TRegistroChavesPendentes::Tabela + "'"),
              0);
    par.Desconectar();
    EXPECT_FALSE(std::filesystem::exists(arquivo));
    EXPECT_EQ(std::filesystem::exists(arquivo + ".descartado"), GetParam().ArquivoPostoDeLado);
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(destino).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Registros, RegistroChavesPendentesTest,
    ::testing::Values(
        // The table still has the key: it is created; the damaged file is kept aside.
        TCasoRegistro{"ArquivoTruncado",
                      [](TParMigracao& par) {
                          const std::string arquivo =
                              TMigracao::ArquivoChavesPendentes(par.Destino.Caminho());
                          std::filesystem::resize_file(arquivo,
                                                       std::filesystem::file_size(arquivo) / 2);
                      },
                      [](TParMigracao& par) {
                          return "O registro das chaves estrangeiras pendentes do DESTINO no "
                                 "arquivo " +
                                 TMigracao::ArquivoChavesPendentes(par.Destino.Caminho()) +
                                 " está danificado: ";
                      },
                      8, true},
        // The file still has the key: it is created.
        TCasoRegistro{"LinhaDaTabelaDanificada",
                      [](TParMigracao& par) {
                          par.Destino.ExecutarScript(
                              std::string("update ") + TRegistroChavesPendentes::Tabela +
                              " set DEFINICAO = '{\"tabela\": \"PEDIDOS_ITENS\"';");
                      },
                      [](TParMigracao&) {
                          return std::string("A tabela ") + TRegistroChavesPendentes::Tabela +
                                 " do DESTINO, que registra as chaves estrangeiras pendentes, tem "
                                 "uma linha danificada (TABELA PEDIDOS_ITENS, NOME "
                                 "FK_PEDIDOS_ITENS_PEDIDO): ";
                      },
                      8},
        // The table went, and its other key with it.
        TCasoRegistro{"TabelaDaChaveExcluida",
                      [](TParMigracao& par) {
                          par.Destino.ExecutarScript("drop table PEDIDOS_ITENS;");
                      },
                      [](TParMigracao&) {
                          return std::string(
                              "A chave estrangeira pendente FK_PEDIDOS_ITENS_PEDIDO da tabela "
                              "PEDIDOS_ITENS não pode ser recriada: a tabela PEDIDOS_ITENS não "
                              "existe no DESTINO. Comando: alter table PEDIDOS_ITENS add "
                              "constraint FK_PEDIDOS_ITENS_PEDIDO foreign key (PEDIDO) references "
                              "PEDIDOS (PEDIDO) on delete CASCADE.");
                      },
                      6}),
    [](const auto& info) { return info.param.Nome; });

// Relative paths name files under the caller's working folder, whatever the server's is, here
// in a folder whose name WIN1252 cannot write: the run copies the pair it was given, the
// destination's server reading the source itself.
TEST(LinhaComandoTest, CaminhosRelativosAPastaDeQuemChama)
{
    namespace fs = std::filesystem;
    TParMigracao par;
    par.Origem.ExecutarScript("insert into MARCAS (EMPRESA, MAR_CODIGO, MAR_DESCRICAO) "
                              "values (1, 901, 'Só na origem deste teste');");
    par.Desconectar();
    const fs::path base = fs::path(TBancoTeste::Pasta()) / NomeTesteAtual();
    const fs::path omega = base / "Ωmega";
    for (const fs::path& pasta : {omega, base / "outra"}) {
        fs::create_directories(pasta);
        fs::permissions(pasta, fs::perms::all);
    }
    fs::remove(base / "omega");
    fs::create_directory_symlink(omega, base / "omega");
    for (const auto& [banco, nome] : {std::pair{par.Origem.Caminho(), "origem.fdb"},
                                      std::pair{par.Destino.Caminho(), "destino.fdb"}}) {
        fs::copy_file(banco, omega / nome, fs::copy_options::overwrite_existing);
        fs::permissions(omega / nome, fs::perms::all);
    }

    struct TCaso {
        fs::path Pasta;
        std::vector<std::string> Argumentos;
    };
    for (const TCaso& caso :
         {TCaso{omega, {"origem.fdb", "./destino.fdb"}},
          TCaso{base / "outra", {"../Ωmega/origem.fdb", "../outra/../Ωmega/destino.fdb"}}}) {
        const TExecucao execucao = Executar(caso.Argumentos, caso.Pasta.string());
        EXPECT_EQ(execucao.Codigo, 0) << execucao.Saida << execucao.Erros;
        EXPECT_EQ(execucao.Saida.find("O servidor do DESTINO não abre a ORIGEM"), std::string::npos)
            << execucao.Saida;

        // This process may have met the client library in a locale without "Ω"; it looks
        // through a link with a plain name.
        TConexao origem;
        TConexao destino;
        origem.DefinirBanco((base / "omega" / "origem.fdb").string());
        destino.DefinirBanco((base / "omega" / "destino.fdb").string());
        for (const std::string tabela : {"MARCAS", "CLIENTES", "EVENTOS"})
            EXPECT_EQ(LinhasTabela(destino, tabela), LinhasTabela(origem, tabela)) << tabela;
        EXPECT_EQ(Contar(destino, "select count(*) from MARCAS where MAR_CODIGO = 901"), 1);
    }
}

// A path is bytes: two names that differ only in bytes that are not UTF-8 stay two names, and
// the one the server cannot open is named in the refusal as it was given.
TEST(LinhaComandoTest, CaminhoGuardaSeusBytes)
{
    const TExecucao execucao = Executar({"/x/a\xe9.fdb", "/x/a\xe8.fdb"});
    EXPECT_EQ(execucao.Codigo, 3) << execucao.Erros;
    EXPECT_EQ(execucao.Saida, "");
    EXPECT_EQ(execucao.Erros.rfind("Banco de dados de ORIGEM não pôde ser lido: /x/a\xe9.fdb", 0),
              0u)
        << execucao.Erros;
}

// The server opens every file as its own user: the command line, run by a user who may not
// read a database, or not write one that a run would change, refuses it before anything else,
// naming the file and the right, and touches nothing. Root, who may do everything, runs the
// command as nobody here, on files the server can reach.
struct TCasoAcesso {
    std::string Nome;
    std::vector<std::string> Opcoes;
    std::filesystem::perms Origem;
    std::filesystem::perms Destino;
    int Codigo;
    std::string Recusa; // the right and the database, as the refusal names them
};

void PrintTo(const TCasoAcesso& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class AcessoTest : public ::testing::TestWithParam<TCasoAcesso> {};

TEST_P(AcessoTest, RecusaOArquivoQueQuemExecutaNaoPodeUsar)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "só root executa o comando como outro usuário";
    const TCasoAcesso& caso = GetParam();
    TParMigracao par;
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();
    namespace fs = std::filesystem;
    // The server's own user keeps reading and writing them, as their owner.
    const passwd* servidor = getpwnam("firebird");
    ASSERT_NE(servidor, nullptr);
    for (const auto& [banco, outros] : {std::pair{&par.Origem, caso.Origem},
                                        std::pair{&par.Destino, caso.Destino}}) {
        ASSERT_EQ(chown(banco->Caminho().c_str(), servidor->pw_uid, servidor->pw_gid), 0);
        fs::permissions(banco->Caminho(), fs::perms::owner_read | fs::perms::owner_write | outros);
    }

    std::vector<std::string> argumentos = caso.Opcoes;
    argumentos.push_back(par.Origem.Caminho());
    argumentos.push_back(par.Destino.Caminho());
    const TExecucao execucao = Executar(
        argumentos, {}, {},
        {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    EXPECT_EQ(execucao.Codigo, caso.Codigo) << execucao.Saida << execucao.Erros;
    if (!caso.Recusa.empty()) {
        const std::string& arquivo =
            caso.Recusa.ends_with("ORIGEM") ? par.Origem.Caminho() : par.Destino.Caminho();
        EXPECT_EQ(execucao.Erros,
                  "O usuário nobody não tem permissão de " + caso.Recusa + ": " + arquivo + "\n");
        EXPECT_EQ(execucao.Saida, "");
    }
    EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
}

constexpr auto SoLer = std::filesystem::perms::others_read;
constexpr auto LerEGravar = std::filesystem::perms::others_read | std::filesystem::perms::others_write;
constexpr auto Nada = std::filesystem::perms::none;

INSTANTIATE_TEST_SUITE_P(
    LinhaComando, AcessoTest,
    ::testing::Values(
        TCasoAcesso{"ImportacaoOrigemIlegivel", {}, Nada, LerEGravar, 2,
                    "leitura no arquivo do banco de dados de ORIGEM"},
        TCasoAcesso{"ImportacaoDestinoSoLeitura", {}, LerEGravar, SoLer, 2,
                    "escrita no arquivo do banco de dados de DESTINO"},
        // The run sets the source's NULL yes/no values to 'N'.
        TCasoAcesso{"ImportacaoOrigemSoLeitura", {}, SoLer, LerEGravar, 2,
                    "escrita no arquivo do banco de dados de ORIGEM"},
        TCasoAcesso{"VerificacaoDestinoIlegivel", {"--verificar"}, SoLer, Nada, 2,
                    "leitura no arquivo do banco de dados de DESTINO"},
        TCasoAcesso{"ComparacaoOrigemIlegivel", {"--comparar"}, Nada, SoLer, 2,
                    "leitura no arquivo do banco de dados de ORIGEM"},
        // Reading is all a comparison needs: it runs, and finds the fresh pair different.
        TCasoAcesso{"ComparacaoSoLeitura", {"--comparar"}, SoLer, SoLer, 1, ""}),
    [](const auto& info) { return info.param.Nome; });

// Ctrl+C, or a request to end the process (SIGTERM), stops a command wherever it comes,
// whatever the statement under way is told meanwhile: the log ends with the stop's own line,
// naming the signal, then the line that says where it was kept, and the exit code is its own.
// The client library's own reaction to the signal (shutting the connections down) must not
// turn it into a failure. A check, a comparison and a run's proof only read: the stop ends the
// statement under way on the server. The check meets a condition the server would take hours
// to evaluate, and is signalled once the server runs it, so only that can end it.
struct TCasoInterrupcao {
    std::string Nome;
    std::vector<std::string> Opcoes;
    bool CondicaoSemFim = false; // the destination's CHECK on LANCAMENTOS that the check evaluates
    std::string Linha;           // the log line after which the signal goes
    std::string Instrucao;       // and, when not empty, a statement of the command under way
    int Sinal = SIGINT;
    TEtapaParada Etapa = TEtapaParada::Importacao;
};

void PrintTo(const TCasoInterrupcao& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class InterrupcaoTest : public ::testing::TestWithParam<TCasoInterrupcao> {};

TEST_P(InterrupcaoTest, TerminaComALinhaDaInterrupcao)
{
    const TCasoInterrupcao& caso = GetParam();
    TParMigracao par;
    par.Origem.ExecutarScript(OrigemGrande);
    // The comparison reads LANCAMENTOS's rows on both sides, as a run leaves them.
    par.Destino.ExecutarScript(caso.Etapa == TEtapaParada::Comparacao ? OrigemGrande
                                                                      : std::string(TabelaGrande));
    if (caso.CondicaoSemFim)
        par.Destino.ExecutarScript(
            "alter table LANCAMENTOS add constraint CK_LANCAMENTOS_LENTA check ((select "
            "count(*) from LANCAMENTOS LENTO_A, LANCAMENTOS LENTO_B, LANCAMENTOS LENTO_C) >= 0);");
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    std::vector<std::string> argumentos = caso.Opcoes;
    argumentos.push_back(par.Origem.Caminho());
    argumentos.push_back(par.Destino.Caminho());
    // A run's check logs nothing: its statement alone tells it is under way.
    const std::string linha = " - " + caso.Linha + "\n";
    const TSinalTeste sinal{[&](const std::string& saida, pid_t processo) {
                                if (!caso.Linha.empty() && saida.find(linha) == std::string::npos)
                                    return false;
                                if (caso.Instrucao.empty())
                                    return true;
                                return InstrucoesEmCurso(par.Origem.Caminho(), processo,
                                                         caso.Instrucao) +
                                           InstrucoesEmCurso(par.Destino.Caminho(), processo,
                                                             caso.Instrucao) >
                                       0;
                            },
                            caso.Sinal};
    const TExecucao execucao = Executar(argumentos, {}, sinal);
    EXPECT_EQ(execucao.Codigo, 5) << execucao.Saida << execucao.Erros;
    const auto linhas = LinhasDoLog(execucao.Saida);
    ASSERT_FALSE(linhas.empty());
    EXPECT_EQ(linhas.back().substr(11),
              TMigracao::LinhaInterrupcao(caso.Etapa, caso.Sinal == SIGTERM
                                                          ? TMotivoParada::Termino
                                                          : TMotivoParada::CtrlC))
        << execucao.Saida;
    EXPECT_EQ(execucao.Saida.find("Ocorreu um erro"), std::string::npos) << execucao.Saida;
    if (caso.Etapa != TEtapaParada::Importacao && caso.Etapa != TEtapaParada::Conferencia) {
        EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
        EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Momentos, InterrupcaoTest,
    ::testing::Values(
        TCasoInterrupcao{"ExcluindoChaves", {}, false, "Excluindo chaves estrangeiras..."},
        TCasoInterrupcao{"LimpandoTabela", {}, false, "Limpando tabela... LANCAMENTOS", "",
                         SIGTERM},
        TCasoInterrupcao{"ImportandoTabela", {}, false, "Importando tabela... LANCAMENTOS"},
        TCasoInterrupcao{"Verificacao", {"--verificar"}, true, "Verificando tabela... LANCAMENTOS",
                         "LENTO_A", SIGINT, TEtapaParada::Verificacao},
        TCasoInterrupcao{"VerificacaoDaImportacao", {}, true, "", "LENTO_A", SIGTERM,
                         TEtapaParada::AntesDaImportacao},
        // A proof is under way as soon as it says so; a statement of it may end before a
        // look at the server would find it.
        TCasoInterrupcao{"Conferencia", {}, false, "Conferindo o DESTINO com a ORIGEM...", "",
                         SIGINT, TEtapaParada::Conferencia},
        TCasoInterrupcao{"Comparacao", {"--comparar"}, false,
                         "Conferindo o DESTINO com a ORIGEM...", "", SIGTERM,
                         TEtapaParada::Comparacao}),
    [](const auto& info) { return info.param.Nome; });

} // namespace
