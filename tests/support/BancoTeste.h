#pragma once

#include <string>

// Test databases on the local server. Each lives in a folder the server can write, is built
// from the application fixture under tests/fixture, and is deleted when its owner goes.
class TBancoTeste {
public:
    enum class TConteudo {
        Vazio,     // a database with no user objects
        Esquema,   // the application schema without rows
        Aplicacao, // the application schema with the sample rows
    };

    explicit TBancoTeste(const std::string& nome, TConteudo conteudo = TConteudo::Aplicacao);
    ~TBancoTeste();
    TBancoTeste(const TBancoTeste&) = delete;
    TBancoTeste& operator=(const TBancoTeste&) = delete;

    const std::string& Caminho() const noexcept { return FCaminho; }

    // Runs an isql script (statements ending in ';', SET TERM allowed) on this database.
    void ExecutarScript(const std::string& script) const;

    // The folder of this process's test databases (created on first use, writable by the
    // server; the per-user data folder of this process and its children lies in it too) and
    // the fixture scripts.
    static const std::string& Pasta();
    static std::string PastaFixture();

private:
    std::string FCaminho;
};

// Runs isql on an existing database with SYSDBA, fails the calling test's process on error.
void ExecutarIsql(const std::string& caminho, const std::string& script);
