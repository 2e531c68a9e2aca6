#include "ParMigracao.h"

#include <gtest/gtest.h>

std::string NomeTesteAtual()
{
    const auto* teste = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string nome = std::string(teste->test_suite_name()) + "-" + teste->name();
    for (char& c : nome)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
            c = '_';
    return nome;
}

TParMigracao::TParMigracao(TBancoTeste::TConteudo conteudo, const std::string& sufixo)
    : Origem(NomeTesteAtual() + sufixo + "-origem", conteudo),
      Destino(NomeTesteAtual() + sufixo + "-destino", conteudo)
{
    ConexaoOrigem.DefinirBanco(Origem.Caminho());
    ConexaoDestino.DefinirBanco(Destino.Caminho());
}

void TParMigracao::Desconectar()
{
    ConexaoOrigem.Desconectar();
    ConexaoDestino.Desconectar();
}
