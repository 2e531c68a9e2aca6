#!/bin/bash
# 300,000 rows, two secondary indexes: active during the insert vs inactive, insert, active.
set -e
DB=/tmp/indices_med/med.fdb
ISQL="isql-fb -q -user SYSDBA -password pinecrest"
rm -f $DB
echo "create database '127.0.0.1:$DB' user 'SYSDBA' password 'pinecrest' page_size 16384;" | $ISQL
run() { echo "$1" | $ISQL "127.0.0.1:$DB"; }
run "create table SRC (ID bigint not null primary key, EMPRESA smallint, CLIENTE integer, EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), DESCRICAO varchar(60), SITUACAO char(1));
set term ^;
execute block as declare i integer = 0; begin while (i < 300000) do begin
insert into SRC values (:i, mod(:i,7)+1, mod(:i*37,50000), dateadd(mod(:i,86400) second to timestamp '2024-01-01 08:00:00'), dateadd(mod(:i,365) day to date '2025-01-01'), mod(:i*13,1000000)/100.0, 'Documento ' || :i, substring('ABCPF' from mod(:i,5)+1 for 1)); i = i + 1; end end^
set term ;^
commit;"
t() { local s=$(date +%s.%N); run "$1"; echo "$(echo "$(date +%s.%N) - $s" | bc)"; }
for rodada in 1 2 3; do
  run "create table DST (ID bigint not null primary key, EMPRESA smallint, CLIENTE integer, EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), DESCRICAO varchar(60), SITUACAO char(1)); create index IX_DST_EMISSAO on DST (EMISSAO); create index IX_DST_CLIENTE on DST (CLIENTE); commit;"
  a=$(t "insert into DST select * from SRC; commit;")
  run "drop table DST; commit;"
  run "create table DST (ID bigint not null primary key, EMPRESA smallint, CLIENTE integer, EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), DESCRICAO varchar(60), SITUACAO char(1)); create index IX_DST_EMISSAO on DST (EMISSAO); create index IX_DST_CLIENTE on DST (CLIENTE); commit;"
  b1=$(t "alter index IX_DST_EMISSAO inactive; commit; alter index IX_DST_CLIENTE inactive; commit;")
  b2=$(t "insert into DST select * from SRC; commit;")
  b3=$(t "alter index IX_DST_EMISSAO active; commit; alter index IX_DST_CLIENTE active; commit;")
  run "drop table DST; commit;"
  run "create table DST (ID bigint not null primary key, EMPRESA smallint, CLIENTE integer, EMISSAO timestamp, VENCIMENTO date, VALOR numeric(15,2), DESCRICAO varchar(60), SITUACAO char(1)); commit;"
  c=$(t "insert into DST select * from SRC; commit;")
  run "drop table DST; commit;"
  echo "round $rodada: active $a | inactive $b1 + insert $b2 + active $b3 | no index $c"
done
rm -f $DB
