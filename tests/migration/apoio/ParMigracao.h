#pragma once

#include "BancoTeste.h"
#include "Conexao.h"

#include <string>

// A source and a destination for the running test, copies of the application fixture named
// after the test, with a connection on each for looking at them afterwards.
class TParMigracao {
public:
    explicit TParMigracao(TBancoTeste::TConteudo conteudo = TBancoTeste::TConteudo::Aplicacao);

    // Detaches the inspection connections, so that what they saw is not held against a run.
    void Desconectar();

    TBancoTeste Origem;
    TBancoTeste Destino;
    TConexao ConexaoOrigem;
    TConexao ConexaoDestino;
};

// The running test's name, fit for a file name.
std::string NomeTesteAtual();
