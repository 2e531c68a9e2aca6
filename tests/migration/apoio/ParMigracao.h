#pragma once

#include "BancoTeste.h"
#include "Conexao.h"

#include <string>

// A source and a destination for the running test, copies of the application fixture named
// after the test (and the suffix, for a test that needs more than one pair), with a
// connection on each for looking at them afterwards.
class TParMigracao {
public:
    explicit TParMigracao(TBancoTeste::TConteudo conteudo = TBancoTeste::TConteudo::Aplicacao,
                          const std::string& sufixo = {});

    // Detaches the inspection connections, so that what they saw is not held against a run.
    void Desconectar();

    TBancoTeste Origem;
    TBancoTeste Destino;
    TConexao ConexaoOrigem;
    TConexao ConexaoDestino;
};

// The running test's name, fit for a file name.
std::string NomeTesteAtual();

// The least a database of the application needs for a run: the version table and the
// replication configuration, no foreign keys, no sequences, no yes/no columns; and a table
// NOTAS with a key, empty.
extern const char* const EsquemaMinimo;
