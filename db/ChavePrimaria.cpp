#include "ChavePrimaria.h"

#include "Consulta.h"
#include "Texto.h"

TChavePrimaria LerChavePrimaria(TConexao& conexao, const std::string& tabela)
{
    TConsulta consulta(&conexao,
                       "select trim(S.RDB$FIELD_NAME), coalesce(I.RDB$INDEX_TYPE, 0) "
                       "from RDB$RELATION_CONSTRAINTS C "
                       "join RDB$INDICES I on I.RDB$INDEX_NAME = C.RDB$INDEX_NAME "
                       "join RDB$INDEX_SEGMENTS S on S.RDB$INDEX_NAME = C.RDB$INDEX_NAME "
                       "where C.RDB$RELATION_NAME = :TABELA "
                       "and C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' order by S.RDB$FIELD_POSITION");
    consulta.Parametro("TABELA", ConverterDoBanco(tabela));
    consulta.Abrir();
    TChavePrimaria chave;
    for (; !consulta.Eof(); consulta.Proximo()) {
        chave.Colunas.push_back(ConverterParaBanco(consulta.Campo(0).ComoTexto()));
        chave.Descendente = consulta.Campo(1).ComoInteiro() == 1;
    }
    return chave;
}
