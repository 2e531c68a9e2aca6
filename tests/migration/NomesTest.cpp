#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "PassosTabelas.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Names that are not plain upper-case identifiers: lower case, blanks, a double quote,
// reserved words. Both databases get them.
const char* const EsquemaNomesIncomuns = R"(
create table "USER" (ID integer not null primary key, "nome" varchar(20));
create table "Itens do ""Pedido""" (
  "ORDER" integer not null primary key,
  "descricao x" varchar(20),
  "USER" integer,
  COD_ATUALIZACAO integer,
  constraint "fk usuario" foreign key ("USER") references "USER" (ID) on delete cascade
);
create sequence "seq minuscula";
)";

TEST(NomesTest, SelectDeCadaTabelaEscreveOsNomesComoPrecisam)
{
    TBancoTeste banco(NomeTesteAtual());
    banco.ExecutarScript(EsquemaNomesIncomuns);
    TRelatorioGravado relatorio;
    TAcompanhamentoMigracao acompanhamento(relatorio);
    TCancelamento cancelamento;
    TConexao conexao;
    conexao.DefinirBanco(banco.Caminho());
    TPassosTabelas passos({conexao, conexao, acompanhamento, cancelamento});

    const std::pair<std::string, std::string> casos[] = {
        {"ICMS", "select EMPRESA,UF,ALIQUOTA,REDUCAO from ICMS"},
        {"PRODUTOS", "select EMPRESA,PRO_CODIGO,PRO_DESCRICAO,PRO_REFERENCIA,MAR_CODIGO,GRP_CODIGO,"
                     "PRECO_VENDA,DESCONTO,CUSTO_MEDIO,ESTOQUE_DISPONIVEL,PESO,ATIVO,CONTROLA_LOTE,"
                     "OBSERVACAO,DT_ULTIMA_VENDA,CADASTRADO_EM from PRODUTOS"},
        {"Itens do \"Pedido\"",
         "select \"ORDER\",\"descricao x\",\"USER\" from \"Itens do \"\"Pedido\"\"\""},
        {"USER", "select ID,\"nome\" from \"USER\""},
    };
    for (const auto& [tabela, select] : casos)
        EXPECT_EQ(passos.GetSQLSelect(tabela), select);
}

// Tables, columns, a foreign key and a sequence under such names go through a whole run: the
// statements the program writes quote them, the log shows them as they are.
TEST(NomesTest, MigracaoComNomesIncomunsConclui)
{
    TParMigracao par;
    par.Origem.ExecutarScript(std::string(EsquemaNomesIncomuns) + R"(
insert into "USER" values (1, 'Ana');
insert into "USER" values (2, 'Bia');
insert into "Itens do ""Pedido""" values (10, 'um', 1, 5);
insert into "Itens do ""Pedido""" values (20, 'dois "2"', 2, 6);
alter sequence "seq minuscula" restart with 42;
)");
    par.Destino.ExecutarScript(std::string(EsquemaNomesIncomuns) +
                               "insert into \"USER\" values (3, 'Caio');\n");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();

    for (const std::string tabela : {"USER", "Itens do \"Pedido\""})
        EXPECT_EQ(LinhasTabela(par.ConexaoDestino, tabela), LinhasTabela(par.ConexaoOrigem, tabela));
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_EQ(Sequencias(par.ConexaoDestino).at("seq minuscula"), 42);

    const auto textos = relatorio.Textos();
    for (const std::string linha :
         {"Limpando tabela... Itens do \"Pedido\"", "Importando tabela... USER",
          "Criando chave estrangeira... fk usuario (Itens do \"Pedido\")",
          "Criando sequenciador... seq minuscula"})
        EXPECT_NE(std::find(textos.begin(), textos.end(), linha), textos.end()) << linha;
}

} // namespace
