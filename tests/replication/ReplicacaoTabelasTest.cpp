#include "ReplicacaoTabelas.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct TLinhaCatalogo {
    std::string Nome;
    std::string NomeGatilho;
    std::string NomeAmigavel;
    std::string NomeSequence;
    std::string NomeCampoId;
    std::string NomeCampoComparar;

    bool operator==(const TLinhaCatalogo&) const = default;
};

void PrintTo(const TLinhaCatalogo& linha, std::ostream* saida)
{
    *saida << linha.Nome << " | " << linha.NomeGatilho << " | " << linha.NomeAmigavel << " | "
           << linha.NomeSequence << " | " << linha.NomeCampoId << " | "
           << linha.NomeCampoComparar;
}

// The catalogue in the order the triggers are installed and failures reported.
const std::vector<TLinhaCatalogo> CatalogoEsperado = {
    {"PORTADORES", "", "Portadores", "", "POR_CODIGO", "POR_NOME"},
    {"TIPOS_TITULO", "", "Tipos de Títulos", "", "TT_CODIGO", "TT_DESCRICAO"},
    {"PLANO_CONTAS", "", "Plano de Contas", "", "PC_CONTA", "PC_DESCRICAO"},
    {"FORNECEDORES", "", "Fornecedores", "FORNECEDOR", "FOR_CODIGO", "FOR_NOME"},
    {"CONTAS_BANCARIAS", "", "Contas Bancárias", "", "CB_CODIGO", "CB_FAVORECIDO"},
    {"BOLETO", "", "Boletos", "BOLETO", "BOL_CODIGO", "BOL_DESCRICAO"},
    {"FORMAS_PAGTO", "", "Formas de Pagamento", "", "FP_CODIGO", "FP_DESCRICAO"},
    {"FORMAS_PAGTO_CARTAO_TAXA", "", "Taxas de Cartão nas Formas de Pagamento", "FORMA_PAGTO_CARTAO_TAXA", "ID_FORMAS_PAGTO_CARTAO_TAXA", ""},
    {"CONDICOES_PAGTO", "", "Condições de Pagamento", "CONDPAGTO", "CP_CODIGO", "CP_DESCRICAO"},
    {"TRANSPORTADORAS", "", "Transportadoras", "TRANSPORTADORA", "TRAN_CODIGO", "TRAN_NOME"},
    {"ICMS", "", "Tabela do ICMS", "", "", ""},
    {"REPRESENTANTES", "", "Vendedores/Representantes", "REPRESENTANTE", "REP_CODIGO", "REP_NOME"},
    {"PRODUTOS_GRUPOS", "", "Grupos de Produtos", "PRODUTOS_GRUPOS", "GRP_CODIGO", "GRP_DESCRICAO"},
    {"PRODUTOS_SUBGRUPOS", "", "Subgrupos de Produtos", "PRODUTOS_SUBGRUPOS", "SUBGRP_CODIGO", "SUBGRP_DESCRICAO"},
    {"SITUACAO_TRIBUTARIA", "", "Situações Tributárias - ICMS", "", "ST_CODIGO", "ST_DESCRICAO"},
    {"SITUACAO_TRIBUTARIA_PIS", "", "Situações Tributárias - PIS", "", "PIS_CODIGO", "PIS_DESCRICAO"},
    {"SITUACAO_TRIBUTARIA_COFINS", "", "Situações Tributárias - COFINS", "", "COFINS_CODIGO", "COFINS_DESCRICAO"},
    {"MARCAS", "", "Marcas", "MARCA", "MAR_CODIGO", "MAR_DESCRICAO"},
    {"GRADES", "", "Grades", "GRADE", "GRA_CODIGO", "GRA_DESCRICAO"},
    {"GRADES_LINHAS", "", "Linhas da Grade", "GRADE_LIN", "GL_CODIGO", "GL_DESCRICAO"},
    {"GRADES_COLUNAS", "", "Colunas da Grade", "GRADE_COL", "GC_CODIGO", "GC_DESCRICAO"},
    {"CLIENTES", "", "Clientes", "CLIENTE", "CLI_CODIGO", "CLI_NOME"},
    {"CLIENTES_EMAIL", "", "E-mail de Clientes", "CLIENTES_EMAIL", "ID", ""},
    {"CLIENTES_SOCIOS", "", "Sócios de Clientes", "", "", ""},
    {"CLIENTES_FAMILIA", "", "Familiares de Clientes", "", "", ""},
    {"CLIENTES_AVALISTAS", "", "Avalistas de Clientes", "CLIENTE_AVALISTA", "ID", ""},
    {"CLIENTES_REF_COMERCIAIS", "", "Referências Comerciais de Clientes", "CLIENTE_REF_COMERCIAL", "ID", ""},
    {"CLIENTES_REF_PESSOAIS", "", "Referências Pessoais de Clientes", "CLIENTE_REF_PESSOAL", "ID", ""},
    {"CLIENTES_REF_BANCARIAS", "", "Referências Bancárias de Clientes", "CLIENTE_REF_BANCARIA", "ID", ""},
    {"CLIENTES_VEICULO_EQUIPTO", "", "Veículos equipamentos", "ID_VEICULO_EQUIPTO", "ID", ""},
    {"PRODUTOS", "", "Produtos", "PRODUTO", "PRO_CODIGO", "PRO_DESCRICAO"},
    {"PRODUTOS_UNIDADES_COMERCIAIS", "PROD_UNIDADES_COMERCIAIS", "Unidades Comerciais", "", "", ""},
    {"KIT_PRODUTO", "", "Kit de Produtos", "KIT_PRODUTO", "ID_KIT_PRODUTO", ""},
    {"KIT_PRODUTO_ITENS", "", "Kit de Produtos - Itens", "KIT_PRODUTO_ITENS", "ID_KIT_PRODUTO_ITENS", ""},
    {"PRODUTOS_RECLASSIFICACAO", "PROD_RECLASSIFICACAO", "Reclassificação", "", "", ""},
    {"PRODUTOS_IMAGEM", "", "Imagem de produtos", "", "ID_IMAGEM", ""},
    {"CLIENTES_IMAGEM", "", "Imagem de clientes", "", "ID_IMAGEM", ""},
    {"CLIENTES_ENDERECOS", "", "Endereços adicionais de Clientes", "CLIENTE_ENDERECOS", "ID", ""},
    {"CLASSIFICACAO_FISCAL", "", "Classificação Fiscal", "", "CF_CODIGO", ""},
    {"SITUACAO_TRIB_IRRF_CSLL", "", "Situações Tributárias - IRRF e CSLL", "", "CODIGO", "DESCRICAO"},
};

TEST(ReplicacaoTabelasTest, QuarentaTabelasNaOrdemEComOsValoresDoCatalogo)
{
    const TListaTabelas tabelas = CriarTabelasReplicacao();
    ASSERT_EQ(tabelas.size(), CatalogoEsperado.size());
    for (std::size_t i = 0; i < tabelas.size(); ++i) {
        const TReplicacaoTabela& tabela = *tabelas[i];
        const TLinhaCatalogo lida{tabela.Nome(),         tabela.NomeGatilho(),
                                  tabela.NomeAmigavel(), tabela.NomeSequence(),
                                  tabela.NomeCampoId(),  tabela.NomeCampoComparar()};
        EXPECT_EQ(lida, CatalogoEsperado[i]) << "posição " << i + 1;
        EXPECT_TRUE(tabela.Campos().empty());
        EXPECT_TRUE(tabela.CamposChavePrimaria().empty());
    }
}

TEST(ReplicacaoTabelasTest, ColunasIgnoradasProprias)
{
    const std::map<std::string, std::vector<std::string>> proprias = {
        {"CLIENTES",
         {"COD_ATUALIZACAO", "DATA_ULT_COMPRA", "VALOR_ULT_COMPRA", "SALDO_CREDOR", "ATRASO_MEDIO",
          "NRO_COMPRAS", "TOTAL_COMPRAS", "CHQ_SEM_FUNDOS"}},
        {"PRODUTOS",
         {"COD_ATUALIZACAO", "CUSTO_FABRICA", "CUSTO_FABRICA_ANT", "CUSTO_MEDIO",
          "CUSTO_MEDIO_ANT", "CUSTO_NOTA", "CUSTO_NOTA_ANT", "DT_ULTIMA_COMPRA",
          "DT_ULTIMA_VENDA", "PRECO_CUSTO", "PRECO_CUSTO_ANT", "ESTOQUE_DISPONIVEL",
          "ESTOQUE_RESERVADO", "ESTOQUE_FORA_ESTABELECIMENTO", "ESTOQUE_EM_TERCEIROS"}},
        {"PRODUTOS_UNIDADES_COMERCIAIS",
         {"COD_ATUALIZACAO", "PROMOCAO_VALOR", "PROMOCAO_AVISTA", "PROMOCAO_CODIGO", "PROMOCAO"}},
    };
    for (const auto& tabela : CriarTabelasReplicacao()) {
        const auto propria = proprias.find(tabela->Nome());
        const std::vector<std::string> esperadas = propria == proprias.end()
                                                       ? std::vector<std::string>{"COD_ATUALIZACAO"}
                                                       : propria->second;
        EXPECT_EQ(tabela->CamposIgnorar(), esperadas) << tabela->Nome();
    }
}

} // namespace
