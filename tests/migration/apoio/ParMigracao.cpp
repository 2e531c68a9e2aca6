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

const char* const EsquemaMinimo = R"(
create table SCRIPTS (NOME varchar(40) not null primary key);
create table EMPRESAS (EMPRESA smallint not null primary key, NOME varchar(60),
  GRUPO_REPLICACAO varchar(1), ATIVA char(1));
create table EXCECOES_REPLICACAO (TABELA varchar(31) not null, COLUNA varchar(31) not null);
create table NOTAS (ID integer not null primary key, TEXTO varchar(20));
insert into SCRIPTS values ('000001_0001.SQL');
insert into EMPRESAS values (1, 'Única', 'A', 'S');
)";
