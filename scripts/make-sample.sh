#!/usr/bin/env bash
# Makes a sample pair of application databases for a trial migration:
#   DIR/origem.fdb   the miniature application database with its sample rows, plus a few
#                    thousand generated orders;
#   DIR/destino.fdb  the same schema at the same version, as a fresh installation leaves it
#                    (reference tables and companies filled, everything else empty).
# DIR is made writable for the Firebird server, which opens the files itself.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-sample}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
chmod 777 "$dir"
fixture=$PWD/tests/fixture
cadastros=$PWD/scripts/sample/cadastros.sql
rm -f "$dir/origem.fdb" "$dir/destino.fdb"

create() {
    printf "set names UTF8;\ncreate database '127.0.0.1:%s' user 'SYSDBA' password 'pinecrest' page_size 8192 default character set WIN1252;\nset echo off;\ninput '%s/tabelas_referencia.sql';\ninput '%s/esquema.sql';\ninput '%s';\ncommit;\n%s\ncommit;\n" \
        "$1" "$fixture" "$fixture" "$cadastros" "$2" | isql-fb -q -bail -user SYSDBA -password pinecrest
}

create "$dir/origem.fdb" "input '$fixture/dados.sql';
set term ^ ;
execute block as declare i integer = 2; begin
  while (i <= 5000) do begin
    insert into PEDIDOS (PEDIDO, EMPRESA, CLI_CODIGO, EMISSAO, TOTAL, FATURADO)
      values (:i, 1, mod(:i, 2) + 1, dateadd(:i minute to timestamp '2026-01-01 08:00'),
              mod(:i * 37, 10000) / 100.0, iif(mod(:i, 3) = 0, null, 'S'));
    insert into PEDIDOS_ITENS (PEDIDO, ITEM, EMPRESA, PRO_CODIGO, QUANTIDADE, VALOR_UNITARIO)
      values (:i, 1, 1, 100 + mod(:i, 3), mod(:i, 10) + 1, 18.90);
    i = i + 1;
  end
end^
set term ; ^"

# A fresh installation: same schema and version, its own companies and reference rows only.
create "$dir/destino.fdb" "insert into SCRIPTS (NOME) values ('000001_0001.SQL');
insert into SCRIPTS (NOME) values ('000150A0150.SQL');
insert into EMPRESAS (EMPRESA, NOME, GRUPO_REPLICACAO, ATIVA) values (1, 'Matriz São Paulo', 'A', 'S');
insert into EMPRESAS (EMPRESA, NOME, GRUPO_REPLICACAO, ATIVA) values (2, 'Filial Ribeirão', 'A', 'S');
insert into EXCECOES_REPLICACAO (TABELA, COLUNA) values ('PRODUTOS', 'PRECO_VENDA');
insert into PAISES (ID, DESCRICAO) values (1058, 'Brasil');
insert into ESTADO (ID, DESCRICAO) values (35, 'São Paulo');"

echo "Sample pair: $dir/origem.fdb -> $dir/destino.fdb"
