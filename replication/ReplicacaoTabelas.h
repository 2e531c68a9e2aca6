#pragma once

#include "ReplicacaoTabela.h"

// The master-data tables the companies of a replication group share. Each class only sets its
// table's fixed values; the columns and keys come from the database.

class TReplicacaoTabelaPortador : public TReplicacaoTabela {
public:
    TReplicacaoTabelaPortador();
};

class TReplicacaoTabelaTipoTitulo : public TReplicacaoTabela {
public:
    TReplicacaoTabelaTipoTitulo();
};

class TReplicacaoTabelaPlanoConta : public TReplicacaoTabela {
public:
    TReplicacaoTabelaPlanoConta();
};

class TReplicacaoTabelaFornecedor : public TReplicacaoTabela {
public:
    TReplicacaoTabelaFornecedor();
};

class TReplicacaoTabelaContaBancaria : public TReplicacaoTabela {
public:
    TReplicacaoTabelaContaBancaria();
};

class TReplicacaoTabelaBoleto : public TReplicacaoTabela {
public:
    TReplicacaoTabelaBoleto();
};

class TReplicacaoTabelaFormaPagto : public TReplicacaoTabela {
public:
    TReplicacaoTabelaFormaPagto();
};

class TReplicacaoTabelaFormaPagtoCartaoTaxa : public TReplicacaoTabela {
public:
    TReplicacaoTabelaFormaPagtoCartaoTaxa();
};

class TReplicacaoTabelaCondicaoPagto : public TReplicacaoTabela {
public:
    TReplicacaoTabelaCondicaoPagto();
};

class TReplicacaoTabelaTransportadora : public TReplicacaoTabela {
public:
    TReplicacaoTabelaTransportadora();
};

class TReplicacaoTabelaIcmsUF : public TReplicacaoTabela {
public:
    TReplicacaoTabelaIcmsUF();
};

class TReplicacaoTabelaRepresentante : public TReplicacaoTabela {
public:
    TReplicacaoTabelaRepresentante();
};

class TReplicacaoTabelaProdutoGrupo : public TReplicacaoTabela {
public:
    TReplicacaoTabelaProdutoGrupo();
};

class TReplicacaoTabelaProdutoSubgrupo : public TReplicacaoTabela {
public:
    TReplicacaoTabelaProdutoSubgrupo();
};

class TReplicacaoTabelaSituacaoTributaria : public TReplicacaoTabela {
public:
    TReplicacaoTabelaSituacaoTributaria();
};

class TReplicacaoTabelaSituacaoTributariaPis : public TReplicacaoTabela {
public:
    TReplicacaoTabelaSituacaoTributariaPis();
};

class TReplicacaoTabelaSituacaoTributariaCofins : public TReplicacaoTabela {
public:
    TReplicacaoTabelaSituacaoTributariaCofins();
};

class TReplicacaoTabelaMarca : public TReplicacaoTabela {
public:
    TReplicacaoTabelaMarca();
};

class TReplicacaoTabelaGrade : public TReplicacaoTabela {
public:
    TReplicacaoTabelaGrade();
};

class TReplicacaoTabelaGradeLinha : public TReplicacaoTabela {
public:
    TReplicacaoTabelaGradeLinha();
};

class TReplicacaoTabelaGradeColuna : public TReplicacaoTabela {
public:
    TReplicacaoTabelaGradeColuna();
};

class TReplicacaoTabelaCliente : public TReplicacaoTabela {
public:
    TReplicacaoTabelaCliente();
};

class TReplicacaoTabelaClienteEmail : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteEmail();
};

class TReplicacaoTabelaClienteSocio : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteSocio();
};

class TReplicacaoTabelaClienteFamilia : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteFamilia();
};

class TReplicacaoTabelaClienteAvalista : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteAvalista();
};

class TReplicacaoTabelaClienteReferenciaComercial : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteReferenciaComercial();
};

class TReplicacaoTabelaClienteReferenciaPessoal : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteReferenciaPessoal();
};

class TReplicacaoTabelaClienteReferenciaBancaria : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteReferenciaBancaria();
};

class TReplicacaoTabelaClienteVeiculosEquipamento : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteVeiculosEquipamento();
};

class TReplicacaoTabelaProduto : public TReplicacaoTabela {
public:
    TReplicacaoTabelaProduto();
};

class TReplicacaoTabelaUnidadesComerciais : public TReplicacaoTabela {
public:
    TReplicacaoTabelaUnidadesComerciais();
};

class TReplicacaoTabelaKitProduto : public TReplicacaoTabela {
public:
    TReplicacaoTabelaKitProduto();
};

class TReplicacaoTabelaKitProdutoItens : public TReplicacaoTabela {
public:
    TReplicacaoTabelaKitProdutoItens();
};

class TReplicacaoTabelaProdutosReclassificacao : public TReplicacaoTabela {
public:
    TReplicacaoTabelaProdutosReclassificacao();
};

class TReplicacaoTabelaProdutoImagem : public TReplicacaoTabela {
public:
    TReplicacaoTabelaProdutoImagem();
};

class TReplicacaoTabelaClienteImagem : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteImagem();
};

class TReplicacaoTabelaClienteEnderecosAdicionais : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClienteEnderecosAdicionais();
};

class TReplicacaoTabelaClassificacaoFiscal : public TReplicacaoTabela {
public:
    TReplicacaoTabelaClassificacaoFiscal();
};

class TReplicacaoTabelaRetencaoIRRFeCSLL : public TReplicacaoTabela {
public:
    TReplicacaoTabelaRetencaoIRRFeCSLL();
};

// One object of each table class, in the order the triggers are installed and reported.
TListaTabelas CriarTabelasReplicacao();
