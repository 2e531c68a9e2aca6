#include "ArquivoLog.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <pwd.h>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::set<fs::path> Logs()
{
    std::set<fs::path> logs;
    if (fs::is_directory(TArquivoLog::Pasta()))
        for (const auto& entrada : fs::directory_iterator(TArquivoLog::Pasta()))
            logs.insert(entrada.path());
    return logs;
}

std::vector<std::string> LinhasArquivo(const fs::path& arquivo)
{
    std::ifstream entrada(arquivo, std::ios::binary);
    std::vector<std::string> linhas;
    for (std::string linha; std::getline(entrada, linha);)
        linhas.push_back(linha);
    return linhas;
}

// The log lines as the file holds them: each entry's CR LF starts a line of its own.
std::vector<std::string> LinhasExibidas(const std::vector<std::string>& entradas)
{
    std::vector<std::string> linhas;
    for (const std::string& entrada : entradas) {
        std::size_t inicio = 0;
        for (std::size_t fim; (fim = entrada.find("\r\n", inicio)) != std::string::npos;
             inicio = fim + 2)
            linhas.push_back(entrada.substr(inicio, fim - inicio));
        linhas.push_back(entrada.substr(inicio));
    }
    return linhas;
}

struct TCasoComando {
    const char* Nome;
    const char* Comando;
    std::function<void(TMigracao&, const std::string&, const std::string&)> Executar;
};

} // namespace

// Every command keeps its own file: the first line names the program's version, the command,
// the user and both databases; then every line of the log as shown; the last line, shown too,
// says where the file is.
TEST(LogArquivoTest, CadaComandoGuardaSeuLogDaPrimeiraAUltimaLinha)
{
    const TCasoComando casos[] = {
        {"importacao", "importação",
         [](TMigracao& m, const std::string& o, const std::string& d) {
             EXPECT_EQ(m.Iniciar(o, d), TResultadoMigracao::Concluida);
         }},
        {"verificacao", "verificação",
         [](TMigracao& m, const std::string& o, const std::string& d) {
             m.Verificar(o, d);
         }},
        {"comparacao", "comparação",
         [](TMigracao& m, const std::string& o, const std::string& d) {
             m.Comparar(o, d);
         }},
    };
    TParMigracao par;
    par.Desconectar();
    for (const TCasoComando& caso : casos) {
        SCOPED_TRACE(caso.Nome);
        const auto antes = Logs();
        TRelatorioGravado relatorio;
        TMigracao migracao(relatorio);
        caso.Executar(migracao, par.Origem.Caminho(), par.Destino.Caminho());

        const auto depois = Logs();
        ASSERT_EQ(depois.size(), antes.size() + 1);
        fs::path novo;
        for (const fs::path& log : depois)
            if (!antes.count(log))
                novo = log;
        EXPECT_NE(novo.filename().string().find("-destino"), std::string::npos) << novo;
        EXPECT_EQ(novo.extension(), ".log") << novo;

        const auto linhas = LinhasArquivo(novo);
        ASSERT_GE(linhas.size(), 3u);
        const std::string primeira = linhas.front();
        EXPECT_EQ(primeira.rfind(std::string("Vorel NewDatabase 1.0 - ") + caso.Comando +
                                     " iniciada em ",
                                 0),
                  0u)
            << primeira;
        EXPECT_NE(primeira.find(std::string(" por ") + getpwuid(geteuid())->pw_name + " - "),
                  std::string::npos)
            << primeira;
        EXPECT_NE(primeira.find(" - ORIGEM: " + fs::absolute(par.Origem.Caminho()).string() +
                                " - DESTINO: " + fs::absolute(par.Destino.Caminho()).string()),
                  std::string::npos)
            << primeira;

        const std::string final = "Log gravado em " + novo.string() + ".";
        ASSERT_GE(relatorio.LinhaFinal.size(), final.size());
        EXPECT_EQ(relatorio.LinhaFinal.substr(relatorio.LinhaFinal.size() - final.size()), final);
        auto exibidas = LinhasExibidas(relatorio.Linhas);
        exibidas.push_back(relatorio.LinhaFinal);
        EXPECT_EQ(std::vector<std::string>(linhas.begin() + 1, linhas.end()), exibidas);
    }
}

// The folder keeps the newest logs: a new one removes the oldest beyond the number kept.
TEST(LogArquivoTest, LogsAntigosAlemDoLimiteSaoRemovidos)
{
    TParMigracao par;
    par.Desconectar();
    fs::create_directories(TArquivoLog::Pasta());
    for (const fs::path& log : Logs())
        fs::remove(log);
    for (int i = 0; i < TArquivoLog::LogsGuardados + 20; ++i) {
        char nome[64];
        std::snprintf(nome, sizeof nome, "2001-01-01_00%04d_antigo.log", i);
        std::ofstream(fs::path(TArquivoLog::Pasta()) / nome) << "antigo\n";
    }

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.Comparar(par.Origem.Caminho(), par.Destino.Caminho());

    const auto logs = Logs();
    EXPECT_EQ(logs.size(), static_cast<std::size_t>(TArquivoLog::LogsGuardados));
    EXPECT_FALSE(logs.count(fs::path(TArquivoLog::Pasta()) / "2001-01-01_000020_antigo.log"));
    EXPECT_TRUE(logs.count(fs::path(TArquivoLog::Pasta()) / "2001-01-01_000021_antigo.log"));
    EXPECT_NE(relatorio.LinhaFinal.find("Log gravado em "), std::string::npos);
}

// A log that cannot be kept does not fail the run: its last line says why instead.
TEST(LogArquivoTest, PastaQueNaoPodeSerCriadaNaoImpedeAImportacao)
{
    TParMigracao par;
    par.Desconectar();
    fs::remove_all(TArquivoLog::Pasta());
    fs::create_directories(fs::path(TArquivoLog::Pasta()).parent_path());
    std::ofstream(TArquivoLog::Pasta()) << "um arquivo no lugar da pasta\n";

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida);
    EXPECT_EQ(relatorio.Textos().back(), "Importação concluída.");
    EXPECT_NE(relatorio.LinhaFinal.find(" - O log não pôde ser gravado: a pasta " +
                                        TArquivoLog::Pasta() + " não pôde ser criada."),
              std::string::npos)
        << relatorio.LinhaFinal;
    fs::remove(TArquivoLog::Pasta());
}

// The file takes its name from the destination, never a path out of the folder.
TEST(LogArquivoTest, NomeDoArquivoVemDoDestino)
{
    std::tm partes{};
    partes.tm_year = 126;
    partes.tm_mon = 11;
    partes.tm_mday = 10;
    partes.tm_hour = 23;
    partes.tm_min = 15;
    partes.tm_sec = 2;
    partes.tm_isdst = -1;
    const std::time_t instante = std::mktime(&partes);
    const struct {
        const char* Destino;
        const char* Nome;
    } casos[] = {
        {"/dados/destino.fdb", "2026-12-10_231502_destino.log"},
        {"/dados/Cliente São Paulo.FDB", "2026-12-10_231502_Cliente_S__o_Paulo.log"},
        {"/dados/.fdb", "2026-12-10_231502_destino.log"},
        {"/dados/a/../b.c.fdb", "2026-12-10_231502_b.c.log"},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(TArquivoLog::NomeArquivo(instante, caso.Destino), caso.Nome) << caso.Destino;
}
