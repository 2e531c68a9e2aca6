#include "ChavesUnicas.h"

#include "Consulta.h"

namespace {

const char* const SQLChavesUnicas =
    "  select trim(I.RDB$RELATION_NAME) as TABELA,\r\n"
    "         trim(coalesce(RC.RDB$CONSTRAINT_NAME, I.RDB$INDEX_NAME)) as NOME,\r\n"
    "         iif(RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY', 0, 1) as ORDEM,\r\n"
    "         trim(S.RDB$FIELD_NAME) as CAMPO\r\n"
    "    from RDB$INDICES I\r\n"
    "    join RDB$INDEX_SEGMENTS S\r\n"
    "      on S.RDB$INDEX_NAME = I.RDB$INDEX_NAME\r\n"
    "    left join RDB$RELATION_CONSTRAINTS RC\r\n"
    "      on RC.RDB$INDEX_NAME = I.RDB$INDEX_NAME\r\n"
    "   where I.RDB$UNIQUE_FLAG = 1\r\n"
    "     and coalesce(I.RDB$INDEX_INACTIVE, 0) = 0\r\n"
    "     and coalesce(I.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "order by 1, 3, 2, S.RDB$FIELD_POSITION\r\n";

} // namespace

TChavesUnicas LerChavesUnicas(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLChavesUnicas);
    consulta.Abrir();
    TChavesUnicas chaves;
    for (; !consulta.Eof(); consulta.Proximo()) {
        std::vector<TChaveUnica>& daTabela = chaves[consulta.Campo("TABELA").ComoTexto()];
        const std::string nome = consulta.Campo("NOME").ComoTexto();
        if (daTabela.empty() || daTabela.back().Nome != nome)
            daTabela.push_back({nome, consulta.Campo("ORDEM").ComoInteiro() == 0, {}});
        daTabela.back().Campos.push_back(consulta.Campo("CAMPO").ComoTexto());
    }
    return chaves;
}
