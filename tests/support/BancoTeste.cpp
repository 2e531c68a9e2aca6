#include "BancoTeste.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Isql(const std::string& entrada)
{
    const fs::path arquivo = fs::path(TBancoTeste::Pasta()) / "entrada.sql";
    {
        std::ofstream saida(arquivo, std::ios::binary | std::ios::trunc);
        saida << entrada;
    }
    const std::string comando = "isql-fb -q -bail -user SYSDBA -password pinecrest -i '" +
                                arquivo.string() + "' 2>&1";
    FILE* processo = popen(comando.c_str(), "r");
    if (!processo)
        throw std::runtime_error("isql-fb não pôde ser iniciado");
    std::string texto;
    char bloco[4096];
    while (std::size_t lidos = fread(bloco, 1, sizeof bloco, processo))
        texto.append(bloco, lidos);
    const int resultado = pclose(processo);
    if (resultado != 0 || texto.find("Statement failed") != std::string::npos ||
        texto.find("SQLSTATE") != std::string::npos)
        throw std::runtime_error("isql-fb falhou:\n" + texto + "\nScript:\n" + entrada);
    return texto;
}

std::string Criacao(const std::string& caminho)
{
    return "set names UTF8;\ncreate database '127.0.0.1:" + caminho +
           "' user 'SYSDBA' password 'pinecrest' page_size 8192 default character set WIN1252;\n";
}

// Builds each kind of database once per process; every test database is a copy of it.
const std::string& Modelo(TBancoTeste::TConteudo conteudo)
{
    static std::map<TBancoTeste::TConteudo, std::string> modelos;
    auto achado = modelos.find(conteudo);
    if (achado != modelos.end())
        return achado->second;

    const std::string fixture = TBancoTeste::PastaFixture();
    std::string nome = "modelo-vazio.fdb";
    std::string script;
    if (conteudo != TBancoTeste::TConteudo::Vazio) {
        nome = conteudo == TBancoTeste::TConteudo::Esquema ? "modelo-esquema.fdb"
                                                           : "modelo-aplicacao.fdb";
        script += "set echo off;\ninput '" + fixture + "/tabelas_referencia.sql';\ninput '" +
                  fixture + "/esquema.sql';\ncommit;\n";
        if (conteudo == TBancoTeste::TConteudo::Aplicacao)
            script += "input '" + fixture + "/dados.sql';\ncommit;\n";
    }
    const std::string caminho = TBancoTeste::Pasta() + "/" + nome;
    fs::remove(caminho);
    Isql(Criacao(caminho) + script);
    return modelos.emplace(conteudo, caminho).first->second;
}

} // namespace

const std::string& TBancoTeste::Pasta()
{
    // Never destroyed: the exit handler below still needs the path.
    static const std::string& pasta = *new std::string([] {
        const char* base = std::getenv("VOREL_TEST_DIR");
        fs::path raiz = base ? base : "/tmp/vorel-testes";
        fs::create_directories(raiz);
        fs::permissions(raiz, fs::perms::all);
        fs::path propria = raiz / std::to_string(getpid());
        fs::remove_all(propria);
        fs::create_directories(propria);
        fs::permissions(propria, fs::perms::all);
        std::atexit([] { std::error_code e; fs::remove_all(TBancoTeste::Pasta(), e); });
        // What the programs keep per user (the pending foreign keys of a destination) goes
        // with the process's databases, for it and the programs it starts.
        setenv("XDG_DATA_HOME", (propria / "estado").c_str(), 1);
        return propria.string();
    }());
    return pasta;
}

std::string TBancoTeste::PastaFixture()
{
    return VOREL_FIXTURE_DIR;
}

TBancoTeste::TBancoTeste(const std::string& nome, TConteudo conteudo)
    : FCaminho(Pasta() + "/" + nome + ".fdb")
{
    fs::remove(FCaminho);
    fs::copy_file(Modelo(conteudo), FCaminho);
    fs::permissions(FCaminho, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read | fs::perms::group_write |
                                  fs::perms::others_read | fs::perms::others_write);
}

TBancoTeste::~TBancoTeste()
{
    std::error_code erro;
    fs::remove(FCaminho, erro);
}

void TBancoTeste::ExecutarScript(const std::string& script) const
{
    ExecutarIsql(FCaminho, script);
}

void ExecutarIsql(const std::string& caminho, const std::string& script)
{
    Isql("set names UTF8;\nconnect '127.0.0.1:" + caminho +
         "' user 'SYSDBA' password 'pinecrest';\n" + script + "\ncommit;\n");
}
