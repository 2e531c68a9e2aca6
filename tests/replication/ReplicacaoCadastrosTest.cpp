#include "BancoTeste.h"
#include "ConsultaTeste.h"
#include "ErroBancoDados.h"
#include "ReplicacaoCadastros.h"
#include "ReplicacaoCadastrosGerarGatilhos.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TNomes = std::vector<std::string>;

class ReplicacaoCadastrosTest : public ::testing::Test {
protected:
    TBancoTeste FBanco{"replicacao_cadastros"};
    TConexao FConexao;
    void SetUp() override { FConexao.DefinirBanco(FBanco.Caminho()); }
};

const TReplicacaoTabela& Tabela(const TReplicacaoCadastros& cadastros, const std::string& nome)
{
    for (const auto& tabela : cadastros.Lista())
        if (tabela->Nome() == nome)
            return *tabela;
    throw std::invalid_argument("tabela fora do catálogo: " + nome);
}

TNomes Nomes(const TListaCampos& campos)
{
    TNomes nomes;
    for (const auto& campo : campos)
        nomes.push_back(campo->Nome());
    return nomes;
}

TNomes NomesChave(const TListaCampos& campos)
{
    TNomes nomes;
    for (const auto& campo : campos)
        if (campo->EhChavePrimaria())
            nomes.push_back(campo->Nome());
    return nomes;
}

TEST_F(ReplicacaoCadastrosTest, CarregaColunasEChavesDoBanco)
{
    // A key declared out of position order, an ignored key column, a name that would rewrite
    // the column query if it were not quoted, and an exception for a table outside the
    // catalogue.
    FBanco.ExecutarScript(
        "create table TIPOS_TITULO (TT_DESCRICAO varchar(40), TT_CODIGO integer not null,"
        "  EMPRESA smallint not null, constraint PK_TIPOS_TITULO primary key (EMPRESA, TT_CODIGO));"
        "create table SITUACAO_TRIBUTARIA (EMPRESA smallint not null, ST_CODIGO char(3) not null,"
        "  ST_DESCRICAO varchar(60),"
        "  constraint PK_SITUACAO_TRIBUTARIA primary key (ST_CODIGO, EMPRESA));"
        "insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('ICMS', 'UF');"
        "insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('MARCAS', 'X'') or (''1''=''1');"
        "insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('PEDIDOS', 'TOTAL');");

    const TReplicacaoCadastros cadastros(FConexao);
    ASSERT_EQ(cadastros.Lista().size(), 40u);

    const struct {
        std::string Tabela;
        TNomes Campos;
        TNomes Chaves;
        TNomes CamposMarcados;
    } casos[] = {
        {"PRODUTOS",
         {"EMPRESA", "PRO_CODIGO", "PRO_DESCRICAO", "PRO_REFERENCIA", "MAR_CODIGO", "GRP_CODIGO",
          "DESCONTO", "PESO", "ATIVO", "CONTROLA_LOTE", "OBSERVACAO", "CADASTRADO_EM"},
         {"EMPRESA", "PRO_CODIGO"},
         {"EMPRESA", "PRO_CODIGO"}},
        {"PRODUTOS_UNIDADES_COMERCIAIS",
         {"EMPRESA", "PRO_CODIGO", "UNIDADE", "FATOR"},
         {"EMPRESA", "PRO_CODIGO", "UNIDADE"},
         {"EMPRESA", "PRO_CODIGO", "UNIDADE"}},
        {"ICMS", {"EMPRESA", "ALIQUOTA", "REDUCAO"}, {"EMPRESA", "UF"}, {"EMPRESA"}},
        {"MARCAS",
         {"EMPRESA", "MAR_CODIGO", "MAR_DESCRICAO", "MAR_ATIVA"},
         {"EMPRESA", "MAR_CODIGO"},
         {"EMPRESA", "MAR_CODIGO"}},
        {"TIPOS_TITULO",
         {"TT_DESCRICAO", "TT_CODIGO", "EMPRESA"},
         {"TT_CODIGO", "EMPRESA"},
         {"TT_CODIGO", "EMPRESA"}},
        {"SITUACAO_TRIBUTARIA",
         {"EMPRESA", "ST_CODIGO", "ST_DESCRICAO"},
         {"EMPRESA", "ST_CODIGO"},
         {"EMPRESA", "ST_CODIGO"}},
        {"PLANO_CONTAS", {}, {}, {}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.Tabela);
        const TReplicacaoTabela& tabela = Tabela(cadastros, caso.Tabela);
        EXPECT_EQ(Nomes(tabela.Campos()), caso.Campos);
        EXPECT_EQ(Nomes(tabela.CamposChavePrimaria()), caso.Chaves);
        EXPECT_EQ(NomesChave(tabela.Campos()), caso.CamposMarcados);
    }
    EXPECT_EQ(Tabela(cadastros, "PRODUTOS").CamposIgnorar().back(), "PRECO_VENDA");
    EXPECT_EQ(Tabela(cadastros, "MARCAS").CamposIgnorar(),
              (TNomes{"COD_ATUALIZACAO", "X') or ('1'='1"}));
    EXPECT_EQ(Tabela(cadastros, "ICMS").CamposIgnorar(), (TNomes{"COD_ATUALIZACAO", "UF"}));
}

TEST_F(ReplicacaoCadastrosTest, TemReplicacaoComMaisDeUmaEmpresaAtivaEmGrupo)
{
    // Starts each case from companies 1, 2 and 4 active, 1 to 3 in group A, 4 in group B.
    const std::string inicio = "update EMPRESAS set ATIVA = iif(EMPRESA = 3, 'N', 'S'),"
                               " GRUPO_REPLICACAO = iif(EMPRESA = 4, 'B', 'A');";
    const struct {
        const char* Caso;
        std::string Script;
        bool Esperado;
    } casos[] = {
        {"duas do mesmo grupo e uma de outro", "", true},
        {"uma só ativa com grupo", "update EMPRESAS set ATIVA = 'N' where EMPRESA in (2, 4);",
         false},
        {"duas ativas de grupos diferentes", "update EMPRESAS set ATIVA = 'N' where EMPRESA = 2;",
         true},
        {"grupo nulo não conta",
         "update EMPRESAS set GRUPO_REPLICACAO = null where EMPRESA in (2, 4);", false},
        {"grupo vazio não conta",
         "update EMPRESAS set GRUPO_REPLICACAO = '' where EMPRESA in (2, 4);", false},
        {"nenhuma ativa", "update EMPRESAS set ATIVA = 'N';", false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.Caso);
        FBanco.ExecutarScript(inicio + caso.Script);
        TReplicacaoCadastros cadastros(FConexao);
        EXPECT_EQ(cadastros.TemReplicacao(), caso.Esperado);
    }
}

TEST_F(ReplicacaoCadastrosTest, SemTabelaDeExcecoesConstrucaoFalha)
{
    FBanco.ExecutarScript("drop table EXCECOES_REPLICACAO;");
    EXPECT_THROW(TReplicacaoCadastros{FConexao}, EBancoDados);
    EXPECT_THROW(TReplicacaoCadastrosGerarGatilhos{FConexao}, EBancoDados);
    EXPECT_EQ(Linhas(FConexao, "select count(*) from EMPRESAS"), TNomes{"4"});
}

} // namespace
