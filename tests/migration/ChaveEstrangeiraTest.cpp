#include "ChaveEstrangeira.h"

#include <gtest/gtest.h>

namespace {

struct TCasoChave {
    std::string Nome;
    TChaveEstrangeira Chave;
    std::string SQLCriar;
};

// Names the case in the test list instead of dumping its bytes.
void PrintTo(const TCasoChave& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class ChaveEstrangeiraTest : public ::testing::TestWithParam<TCasoChave> {};

TEST_P(ChaveEstrangeiraTest, RecriaComoFoiDeclarada)
{
    EXPECT_EQ(GetParam().Chave.SQLCriar(), GetParam().SQLCriar);
}

INSTANTIATE_TEST_SUITE_P(
    Chaves, ChaveEstrangeiraTest,
    ::testing::Values(
        TCasoChave{"SemRegras",
                   {"PEDIDOS_ITENS", "FK_PEDIDOS_ITENS_PEDIDO", "FK_PEDIDOS_ITENS_PEDIDO", false,
                    {"PEDIDO"}, "PEDIDOS", {"PEDIDO"}, "RESTRICT", "RESTRICT"},
                   "alter table PEDIDOS_ITENS add constraint FK_PEDIDOS_ITENS_PEDIDO foreign key "
                   "(PEDIDO) references PEDIDOS (PEDIDO)"},
        TCasoChave{"CascataNaExclusao",
                   {"CLIENTES_EMAIL", "FK_CLIENTES_EMAIL_CLIENTE", "FK_CLIENTES_EMAIL_CLIENTE",
                    false, {"EMPRESA", "CLI_CODIGO"}, "CLIENTES", {"EMPRESA", "CLI_CODIGO"},
                    "RESTRICT", "CASCADE"},
                   "alter table CLIENTES_EMAIL add constraint FK_CLIENTES_EMAIL_CLIENTE foreign key "
                   "(EMPRESA,CLI_CODIGO) references CLIENTES (EMPRESA,CLI_CODIGO) on delete CASCADE"},
        TCasoChave{"DuasRegras",
                   {"PRODUTOS", "FK_PRODUTOS_MARCAS", "FK_PRODUTOS_MARCAS", false,
                    {"EMPRESA", "MAR_CODIGO"}, "MARCAS", {"EMPRESA", "MAR_CODIGO"}, "CASCADE",
                    "SET NULL"},
                   "alter table PRODUTOS add constraint FK_PRODUTOS_MARCAS foreign key "
                   "(EMPRESA,MAR_CODIGO) references MARCAS (EMPRESA,MAR_CODIGO) on update CASCADE "
                   "on delete SET NULL"},
        TCasoChave{"NoAction",
                   {"FILIAIS", "FK_FILIAIS", "FK_FILIAIS", false, {"UF", "EMPRESA"}, "REGIOES",
                    {"UF", "EMPRESA"}, "NO ACTION", "SET DEFAULT"},
                   "alter table FILIAIS add constraint FK_FILIAIS foreign key (UF,EMPRESA) "
                   "references REGIOES (UF,EMPRESA) on update NO ACTION on delete SET DEFAULT"},
        TCasoChave{"NomeDoServidor",
                   {"PRODUTOS", "INTEG_27", "RDB$FOREIGN27", false, {"EMPRESA", "GRP_CODIGO"},
                    "PRODUTOS_GRUPOS", {"EMPRESA", "GRP_CODIGO"}, "RESTRICT", "RESTRICT"},
                   "alter table PRODUTOS add foreign key (EMPRESA,GRP_CODIGO) references "
                   "PRODUTOS_GRUPOS (EMPRESA,GRP_CODIGO)"},
        TCasoChave{"IndiceComOutroNome",
                   {"PRODUTOS_IMAGEM", "FK_PRODUTOS_IMAGEM_PRODUTO", "IX_PRODUTOS_IMAGEM_PRODUTO",
                    false, {"EMPRESA", "PRO_CODIGO"}, "PRODUTOS", {"EMPRESA", "PRO_CODIGO"},
                    "RESTRICT", "CASCADE"},
                   "alter table PRODUTOS_IMAGEM add constraint FK_PRODUTOS_IMAGEM_PRODUTO foreign "
                   "key (EMPRESA,PRO_CODIGO) references PRODUTOS (EMPRESA,PRO_CODIGO) on delete "
                   "CASCADE using index IX_PRODUTOS_IMAGEM_PRODUTO"},
        TCasoChave{"IndiceDescendenteSemNomeDeRestricao",
                   {"PEDIDOS", "INTEG_3", "IX_PEDIDOS_CLIENTE", true, {"CLI_CODIGO"}, "CLIENTES",
                    {"CLI_CODIGO"}, "RESTRICT", "RESTRICT"},
                   "alter table PEDIDOS add foreign key (CLI_CODIGO) references CLIENTES "
                   "(CLI_CODIGO) using descending index IX_PEDIDOS_CLIENTE"},
        TCasoChave{"RestricaoAntigaComIndiceDoSistema",
                   {"PEDIDOS", "FK_ANTIGA", "RDB$FOREIGN9", false, {"CLI_CODIGO"}, "CLIENTES",
                    {"CLI_CODIGO"}, "RESTRICT", "RESTRICT"},
                   "alter table PEDIDOS add constraint FK_ANTIGA foreign key (CLI_CODIGO) "
                   "references CLIENTES (CLI_CODIGO)"},
        TCasoChave{"NomesQuePedemAspas",
                   {"Itens do \"Pedido\"", "fk usuario", "fk usuario", false, {"USER", "ordem"},
                    "USER", {"ID", "ORDEM"}, "RESTRICT", "CASCADE"},
                   "alter table \"Itens do \"\"Pedido\"\"\" add constraint \"fk usuario\" foreign "
                   "key (\"USER\",\"ordem\") references \"USER\" (ID,ORDEM) on delete CASCADE"}),
    [](const auto& info) { return info.param.Nome; });

TEST(ChaveEstrangeiraTest, ExclusaoEIdentidade)
{
    const TChaveEstrangeira nomeada{"Itens do \"Pedido\"", "fk usuario", "fk usuario", false,
                                    {"USER"}, "USER", {"ID"}, "RESTRICT", "RESTRICT"};
    EXPECT_EQ(nomeada.SQLExcluir(), "alter table \"Itens do \"\"Pedido\"\"\" drop constraint \"fk usuario\"");

    // A key the server named is the same key under its next name.
    TChaveEstrangeira gerada{"PRODUTOS", "INTEG_27", "RDB$FOREIGN27", false, {"EMPRESA"},
                             "EMPRESAS", {"EMPRESA"}, "RESTRICT", "RESTRICT"};
    TChaveEstrangeira recriada = gerada;
    recriada.Nome = "INTEG_51";
    recriada.Indice = "RDB$FOREIGN51";
    EXPECT_EQ(gerada.Identidade(), recriada.Identidade());
    recriada.RegraExclusao = "CASCADE";
    EXPECT_NE(gerada.Identidade(), recriada.Identidade());

    TChaveEstrangeira outraTabela = nomeada;
    outraTabela.Tabela = "OUTRA";
    EXPECT_NE(nomeada.Identidade(), outraTabela.Identidade());
}

} // namespace
