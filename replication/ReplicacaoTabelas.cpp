#include "ReplicacaoTabelas.h"

TReplicacaoTabelaPortador::TReplicacaoTabelaPortador()
{
    FNome = "PORTADORES";
    FNomeAmigavel = "Portadores";
    FNomeCampoId = "POR_CODIGO";
    FNomeCampoComparar = "POR_NOME";
}

TReplicacaoTabelaTipoTitulo::TReplicacaoTabelaTipoTitulo()
{
    FNome = "TIPOS_TITULO";
    FNomeAmigavel = "Tipos de Títulos";
    FNomeCampoId = "TT_CODIGO";
    FNomeCampoComparar = "TT_DESCRICAO";
}

TReplicacaoTabelaPlanoConta::TReplicacaoTabelaPlanoConta()
{
    FNome = "PLANO_CONTAS";
    FNomeAmigavel = "Plano de Contas";
    FNomeCampoId = "PC_CONTA";
    FNomeCampoComparar = "PC_DESCRICAO";
}

TReplicacaoTabelaFornecedor::TReplicacaoTabelaFornecedor()
{
    FNome = "FORNECEDORES";
    FNomeAmigavel = "Fornecedores";
    FNomeSequence = "FORNECEDOR";
    FNomeCampoId = "FOR_CODIGO";
    FNomeCampoComparar = "FOR_NOME";
}

TReplicacaoTabelaContaBancaria::TReplicacaoTabelaContaBancaria()
{
    FNome = "CONTAS_BANCARIAS";
    FNomeAmigavel = "Contas Bancárias";
    FNomeCampoId = "CB_CODIGO";
    FNomeCampoComparar = "CB_FAVORECIDO";
}

TReplicacaoTabelaBoleto::TReplicacaoTabelaBoleto()
{
    FNome = "BOLETO";
    FNomeAmigavel = "Boletos";
    FNomeSequence = "BOLETO";
    FNomeCampoId = "BOL_CODIGO";
    FNomeCampoComparar = "BOL_DESCRICAO";
}

TReplicacaoTabelaFormaPagto::TReplicacaoTabelaFormaPagto()
{
    FNome = "FORMAS_PAGTO";
    FNomeAmigavel = "Formas de Pagamento";
    FNomeCampoId = "FP_CODIGO";
    FNomeCampoComparar = "FP_DESCRICAO";
}

TReplicacaoTabelaFormaPagtoCartaoTaxa::TReplicacaoTabelaFormaPagtoCartaoTaxa()
{
    FNome = "FORMAS_PAGTO_CARTAO_TAXA";
    FNomeAmigavel = "Taxas de Cartão nas Formas de Pagamento";
    FNomeSequence = "FORMA_PAGTO_CARTAO_TAXA";
    FNomeCampoId = "ID_FORMAS_PAGTO_CARTAO_TAXA";
}

TReplicacaoTabelaCondicaoPagto::TReplicacaoTabelaCondicaoPagto()
{
    FNome = "CONDICOES_PAGTO";
    FNomeAmigavel = "Condições de Pagamento";
    FNomeSequence = "CONDPAGTO";
    FNomeCampoId = "CP_CODIGO";
    FNomeCampoComparar = "CP_DESCRICAO";
}

TReplicacaoTabelaTransportadora::TReplicacaoTabelaTransportadora()
{
    FNome = "TRANSPORTADORAS";
    FNomeAmigavel = "Transportadoras";
    FNomeSequence = "TRANSPORTADORA";
    FNomeCampoId = "TRAN_CODIGO";
    FNomeCampoComparar = "TRAN_NOME";
}

TReplicacaoTabelaIcmsUF::TReplicacaoTabelaIcmsUF()
{
    FNome = "ICMS";
    FNomeAmigavel = "Tabela do ICMS";
}

TReplicacaoTabelaRepresentante::TReplicacaoTabelaRepresentante()
{
    FNome = "REPRESENTANTES";
    FNomeAmigavel = "Vendedores/Representantes";
    FNomeSequence = "REPRESENTANTE";
    FNomeCampoId = "REP_CODIGO";
    FNomeCampoComparar = "REP_NOME";
}

TReplicacaoTabelaProdutoGrupo::TReplicacaoTabelaProdutoGrupo()
{
    FNome = "PRODUTOS_GRUPOS";
    FNomeAmigavel = "Grupos de Produtos";
    FNomeSequence = "PRODUTOS_GRUPOS";
    FNomeCampoId = "GRP_CODIGO";
    FNomeCampoComparar = "GRP_DESCRICAO";
}

TReplicacaoTabelaProdutoSubgrupo::TReplicacaoTabelaProdutoSubgrupo()
{
    FNome = "PRODUTOS_SUBGRUPOS";
    FNomeAmigavel = "Subgrupos de Produtos";
    FNomeSequence = "PRODUTOS_SUBGRUPOS";
    FNomeCampoId = "SUBGRP_CODIGO";
    FNomeCampoComparar = "SUBGRP_DESCRICAO";
}

TReplicacaoTabelaSituacaoTributaria::TReplicacaoTabelaSituacaoTributaria()
{
    FNome = "SITUACAO_TRIBUTARIA";
    FNomeAmigavel = "Situações Tributárias - ICMS";
    FNomeCampoId = "ST_CODIGO";
    FNomeCampoComparar = "ST_DESCRICAO";
}

TReplicacaoTabelaSituacaoTributariaPis::TReplicacaoTabelaSituacaoTributariaPis()
{
    FNome = "SITUACAO_TRIBUTARIA_PIS";
    FNomeAmigavel = "Situações Tributárias - PIS";
    FNomeCampoId = "PIS_CODIGO";
    FNomeCampoComparar = "PIS_DESCRICAO";
}

TReplicacaoTabelaSituacaoTributariaCofins::TReplicacaoTabelaSituacaoTributariaCofins()
{
    FNome = "SITUACAO_TRIBUTARIA_COFINS";
    FNomeAmigavel = "Situações Tributárias - COFINS";
    FNomeCampoId = "COFINS_CODIGO";
    FNomeCampoComparar = "COFINS_DESCRICAO";
}

TReplicacaoTabelaMarca::TReplicacaoTabelaMarca()
{
    FNome = "MARCAS";
    FNomeAmigavel = "Marcas";
    FNomeSequence = "MARCA";
    FNomeCampoId = "MAR_CODIGO";
    FNomeCampoComparar = "MAR_DESCRICAO";
}

TReplicacaoTabelaGrade::TReplicacaoTabelaGrade()
{
    FNome = "GRADES";
    FNomeAmigavel = "Grades";
    FNomeSequence = "GRADE";
    FNomeCampoId = "GRA_CODIGO";
    FNomeCampoComparar = "GRA_DESCRICAO";
}

TReplicacaoTabelaGradeLinha::TReplicacaoTabelaGradeLinha()
{
    FNome = "GRADES_LINHAS";
    FNomeAmigavel = "Linhas da Grade";
    FNomeSequence = "GRADE_LIN";
    FNomeCampoId = "GL_CODIGO";
    FNomeCampoComparar = "GL_DESCRICAO";
}

TReplicacaoTabelaGradeColuna::TReplicacaoTabelaGradeColuna()
{
    FNome = "GRADES_COLUNAS";
    FNomeAmigavel = "Colunas da Grade";
    FNomeSequence = "GRADE_COL";
    FNomeCampoId = "GC_CODIGO";
    FNomeCampoComparar = "GC_DESCRICAO";
}

TReplicacaoTabelaCliente::TReplicacaoTabelaCliente()
{
    FNome = "CLIENTES";
    FNomeAmigavel = "Clientes";
    FNomeSequence = "CLIENTE";
    FNomeCampoId = "CLI_CODIGO";
    FNomeCampoComparar = "CLI_NOME";
    AdicionarCampoIgnorar("DATA_ULT_COMPRA");
    AdicionarCampoIgnorar("VALOR_ULT_COMPRA");
    AdicionarCampoIgnorar("SALDO_CREDOR");
    AdicionarCampoIgnorar("ATRASO_MEDIO");
    AdicionarCampoIgnorar("NRO_COMPRAS");
    AdicionarCampoIgnorar("TOTAL_COMPRAS");
    AdicionarCampoIgnorar("CHQ_SEM_FUNDOS");
}

TReplicacaoTabelaClienteEmail::TReplicacaoTabelaClienteEmail()
{
    FNome = "CLIENTES_EMAIL";
    FNomeAmigavel = "E-mail de Clientes";
    FNomeSequence = "CLIENTES_EMAIL";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClienteSocio::TReplicacaoTabelaClienteSocio()
{
    FNome = "CLIENTES_SOCIOS";
    FNomeAmigavel = "Sócios de Clientes";
}

TReplicacaoTabelaClienteFamilia::TReplicacaoTabelaClienteFamilia()
{
    FNome = "CLIENTES_FAMILIA";
    FNomeAmigavel = "Familiares de Clientes";
}

TReplicacaoTabelaClienteAvalista::TReplicacaoTabelaClienteAvalista()
{
    FNome = "CLIENTES_AVALISTAS";
    FNomeAmigavel = "Avalistas de Clientes";
    FNomeSequence = "CLIENTE_AVALISTA";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClienteReferenciaComercial::TReplicacaoTabelaClienteReferenciaComercial()
{
    FNome = "CLIENTES_REF_COMERCIAIS";
    FNomeAmigavel = "Referências Comerciais de Clientes";
    FNomeSequence = "CLIENTE_REF_COMERCIAL";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClienteReferenciaPessoal::TReplicacaoTabelaClienteReferenciaPessoal()
{
    FNome = "CLIENTES_REF_PESSOAIS";
    FNomeAmigavel = "Referências Pessoais de Clientes";
    FNomeSequence = "CLIENTE_REF_PESSOAL";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClienteReferenciaBancaria::TReplicacaoTabelaClienteReferenciaBancaria()
{
    FNome = "CLIENTES_REF_BANCARIAS";
    FNomeAmigavel = "Referências Bancárias de Clientes";
    FNomeSequence = "CLIENTE_REF_BANCARIA";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClienteVeiculosEquipamento::TReplicacaoTabelaClienteVeiculosEquipamento()
{
    FNome = "CLIENTES_VEICULO_EQUIPTO";
    FNomeAmigavel = "Veículos equipamentos";
    FNomeSequence = "ID_VEICULO_EQUIPTO";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaProduto::TReplicacaoTabelaProduto()
{
    FNome = "PRODUTOS";
    FNomeAmigavel = "Produtos";
    FNomeSequence = "PRODUTO";
    FNomeCampoId = "PRO_CODIGO";
    FNomeCampoComparar = "PRO_DESCRICAO";
    AdicionarCampoIgnorar("CUSTO_FABRICA");
    AdicionarCampoIgnorar("CUSTO_FABRICA_ANT");
    AdicionarCampoIgnorar("CUSTO_MEDIO");
    AdicionarCampoIgnorar("CUSTO_MEDIO_ANT");
    AdicionarCampoIgnorar("CUSTO_NOTA");
    AdicionarCampoIgnorar("CUSTO_NOTA_ANT");
    AdicionarCampoIgnorar("DT_ULTIMA_COMPRA");
    AdicionarCampoIgnorar("DT_ULTIMA_VENDA");
    AdicionarCampoIgnorar("PRECO_CUSTO");
    AdicionarCampoIgnorar("PRECO_CUSTO_ANT");
    AdicionarCampoIgnorar("ESTOQUE_DISPONIVEL");
    AdicionarCampoIgnorar("ESTOQUE_RESERVADO");
    AdicionarCampoIgnorar("ESTOQUE_FORA_ESTABELECIMENTO");
    AdicionarCampoIgnorar("ESTOQUE_EM_TERCEIROS");
}

TReplicacaoTabelaUnidadesComerciais::TReplicacaoTabelaUnidadesComerciais()
{
    FNome = "PRODUTOS_UNIDADES_COMERCIAIS";
    FNomeGatilho = "PROD_UNIDADES_COMERCIAIS";
    FNomeAmigavel = "Unidades Comerciais";
    AdicionarCampoIgnorar("PROMOCAO_VALOR");
    AdicionarCampoIgnorar("PROMOCAO_AVISTA");
    AdicionarCampoIgnorar("PROMOCAO_CODIGO");
    AdicionarCampoIgnorar("PROMOCAO");
}

TReplicacaoTabelaKitProduto::TReplicacaoTabelaKitProduto()
{
    FNome = "KIT_PRODUTO";
    FNomeAmigavel = "Kit de Produtos";
    FNomeSequence = "KIT_PRODUTO";
    FNomeCampoId = "ID_KIT_PRODUTO";
}

TReplicacaoTabelaKitProdutoItens::TReplicacaoTabelaKitProdutoItens()
{
    FNome = "KIT_PRODUTO_ITENS";
    FNomeAmigavel = "Kit de Produtos - Itens";
    FNomeSequence = "KIT_PRODUTO_ITENS";
    FNomeCampoId = "ID_KIT_PRODUTO_ITENS";
}

TReplicacaoTabelaProdutosReclassificacao::TReplicacaoTabelaProdutosReclassificacao()
{
    FNome = "PRODUTOS_RECLASSIFICACAO";
    FNomeGatilho = "PROD_RECLASSIFICACAO";
    FNomeAmigavel = "Reclassificação";
}

TReplicacaoTabelaProdutoImagem::TReplicacaoTabelaProdutoImagem()
{
    FNome = "PRODUTOS_IMAGEM";
    FNomeAmigavel = "Imagem de produtos";
    FNomeCampoId = "ID_IMAGEM";
}

TReplicacaoTabelaClienteImagem::TReplicacaoTabelaClienteImagem()
{
    FNome = "CLIENTES_IMAGEM";
    FNomeAmigavel = "Imagem de clientes";
    FNomeCampoId = "ID_IMAGEM";
}

TReplicacaoTabelaClienteEnderecosAdicionais::TReplicacaoTabelaClienteEnderecosAdicionais()
{
    FNome = "CLIENTES_ENDERECOS";
    FNomeAmigavel = "Endereços adicionais de Clientes";
    FNomeSequence = "CLIENTE_ENDERECOS";
    FNomeCampoId = "ID";
}

TReplicacaoTabelaClassificacaoFiscal::TReplicacaoTabelaClassificacaoFiscal()
{
    FNome = "CLASSIFICACAO_FISCAL";
    FNomeAmigavel = "Classificação Fiscal";
    FNomeCampoId = "CF_CODIGO";
}

TReplicacaoTabelaRetencaoIRRFeCSLL::TReplicacaoTabelaRetencaoIRRFeCSLL()
{
    FNome = "SITUACAO_TRIB_IRRF_CSLL";
    FNomeAmigavel = "Situações Tributárias - IRRF e CSLL";
    FNomeCampoId = "CODIGO";
    FNomeCampoComparar = "DESCRICAO";
}

TListaTabelas CriarTabelasReplicacao()
{
    TListaTabelas tabelas;
    tabelas.push_back(std::make_unique<TReplicacaoTabelaPortador>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaTipoTitulo>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaPlanoConta>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaFornecedor>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaContaBancaria>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaBoleto>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaFormaPagto>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaFormaPagtoCartaoTaxa>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaCondicaoPagto>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaTransportadora>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaIcmsUF>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaRepresentante>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaProdutoGrupo>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaProdutoSubgrupo>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaSituacaoTributaria>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaSituacaoTributariaPis>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaSituacaoTributariaCofins>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaMarca>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaGrade>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaGradeLinha>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaGradeColuna>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaCliente>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteEmail>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteSocio>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteFamilia>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteAvalista>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteReferenciaComercial>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteReferenciaPessoal>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteReferenciaBancaria>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteVeiculosEquipamento>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaProduto>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaUnidadesComerciais>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaKitProduto>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaKitProdutoItens>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaProdutosReclassificacao>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaProdutoImagem>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteImagem>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClienteEnderecosAdicionais>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaClassificacaoFiscal>());
    tabelas.push_back(std::make_unique<TReplicacaoTabelaRetencaoIRRFeCSLL>());
    return tabelas;
}
