-- The catalogued master-data tables the test fixture leaves out, so that a sample migration
-- installs every replication trigger.

create table TIPOS_TITULO (
  EMPRESA smallint not null,
  TT_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_TIPOS_TITULO primary key (EMPRESA, TT_CODIGO)
);

create table PLANO_CONTAS (
  EMPRESA smallint not null,
  PC_CONTA integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_PLANO_CONTAS primary key (EMPRESA, PC_CONTA)
);

create table FORNECEDORES (
  EMPRESA smallint not null,
  FOR_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_FORNECEDORES primary key (EMPRESA, FOR_CODIGO)
);

create table CONTAS_BANCARIAS (
  EMPRESA smallint not null,
  CB_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CONTAS_BANCARIAS primary key (EMPRESA, CB_CODIGO)
);

create table BOLETO (
  EMPRESA smallint not null,
  BOL_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_BOLETO primary key (EMPRESA, BOL_CODIGO)
);

create table FORMAS_PAGTO (
  EMPRESA smallint not null,
  FP_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_FORMAS_PAGTO primary key (EMPRESA, FP_CODIGO)
);

create table FORMAS_PAGTO_CARTAO_TAXA (
  EMPRESA smallint not null,
  ID_FORMAS_PAGTO_CARTAO_TAXA integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_FORMAS_PAGTO_CARTAO_TAXA primary key (EMPRESA, ID_FORMAS_PAGTO_CARTAO_TAXA)
);

create table CONDICOES_PAGTO (
  EMPRESA smallint not null,
  CP_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CONDICOES_PAGTO primary key (EMPRESA, CP_CODIGO)
);

create table TRANSPORTADORAS (
  EMPRESA smallint not null,
  TRAN_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_TRANSPORTADORAS primary key (EMPRESA, TRAN_CODIGO)
);

create table REPRESENTANTES (
  EMPRESA smallint not null,
  REP_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_REPRESENTANTES primary key (EMPRESA, REP_CODIGO)
);

create table PRODUTOS_SUBGRUPOS (
  EMPRESA smallint not null,
  SUBGRP_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_PRODUTOS_SUBGRUPOS primary key (EMPRESA, SUBGRP_CODIGO)
);

create table SITUACAO_TRIBUTARIA (
  EMPRESA smallint not null,
  ST_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_SITUACAO_TRIBUTARIA primary key (EMPRESA, ST_CODIGO)
);

create table SITUACAO_TRIBUTARIA_PIS (
  EMPRESA smallint not null,
  PIS_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_SITUACAO_TRIBUTARIA_PIS primary key (EMPRESA, PIS_CODIGO)
);

create table SITUACAO_TRIBUTARIA_COFINS (
  EMPRESA smallint not null,
  COFINS_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_SITUACAO_TRIBUTARIA_COFINS primary key (EMPRESA, COFINS_CODIGO)
);

create table GRADES (
  EMPRESA smallint not null,
  GRA_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_GRADES primary key (EMPRESA, GRA_CODIGO)
);

create table GRADES_LINHAS (
  EMPRESA smallint not null,
  GL_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_GRADES_LINHAS primary key (EMPRESA, GL_CODIGO)
);

create table GRADES_COLUNAS (
  EMPRESA smallint not null,
  GC_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_GRADES_COLUNAS primary key (EMPRESA, GC_CODIGO)
);

create table CLIENTES_SOCIOS (
  EMPRESA smallint not null,
  SEQUENCIA integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_SOCIOS primary key (EMPRESA, SEQUENCIA)
);

create table CLIENTES_FAMILIA (
  EMPRESA smallint not null,
  SEQUENCIA integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_FAMILIA primary key (EMPRESA, SEQUENCIA)
);

create table CLIENTES_AVALISTAS (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_AVALISTAS primary key (EMPRESA, ID)
);

create table CLIENTES_REF_COMERCIAIS (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_REF_COMERCIAIS primary key (EMPRESA, ID)
);

create table CLIENTES_REF_PESSOAIS (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_REF_PESSOAIS primary key (EMPRESA, ID)
);

create table CLIENTES_REF_BANCARIAS (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_REF_BANCARIAS primary key (EMPRESA, ID)
);

create table CLIENTES_VEICULO_EQUIPTO (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_VEICULO_EQUIPTO primary key (EMPRESA, ID)
);

create table KIT_PRODUTO (
  EMPRESA smallint not null,
  ID_KIT_PRODUTO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_KIT_PRODUTO primary key (EMPRESA, ID_KIT_PRODUTO)
);

create table KIT_PRODUTO_ITENS (
  EMPRESA smallint not null,
  ID_KIT_PRODUTO_ITENS integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_KIT_PRODUTO_ITENS primary key (EMPRESA, ID_KIT_PRODUTO_ITENS)
);

create table PRODUTOS_RECLASSIFICACAO (
  EMPRESA smallint not null,
  SEQUENCIA integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_PRODUTOS_RECLASSIFICACAO primary key (EMPRESA, SEQUENCIA)
);

create table CLIENTES_IMAGEM (
  EMPRESA smallint not null,
  ID_IMAGEM integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_IMAGEM primary key (EMPRESA, ID_IMAGEM)
);

create table CLIENTES_ENDERECOS (
  EMPRESA smallint not null,
  ID integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLIENTES_ENDERECOS primary key (EMPRESA, ID)
);

create table CLASSIFICACAO_FISCAL (
  EMPRESA smallint not null,
  CF_CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_CLASSIFICACAO_FISCAL primary key (EMPRESA, CF_CODIGO)
);

create table SITUACAO_TRIB_IRRF_CSLL (
  EMPRESA smallint not null,
  CODIGO integer not null,
  DESCRICAO varchar(60),
  COD_ATUALIZACAO integer,
  constraint PK_SITUACAO_TRIB_IRRF_CSLL primary key (EMPRESA, CODIGO)
);
