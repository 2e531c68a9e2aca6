#include "CatalogoRelacoes.h"

#include "Consulta.h"
#include "RegistroChavesPendentes.h"

#include <algorithm>

namespace {

const char* const SQLColunas =
    "  select trim(R.RDB$RELATION_NAME) as TABELA,\r\n"
    "         iif(R.RDB$VIEW_SOURCE is null, 0, 1) as VISAO,\r\n"
    "         trim(RF.RDB$FIELD_NAME) as COLUNA,\r\n"
    "         trim(RF.RDB$FIELD_SOURCE) as DOMINIO,\r\n"
    "         FI.RDB$FIELD_TYPE as TIPO,\r\n"
    "         coalesce(FI.RDB$FIELD_SUB_TYPE, 0) as SUBTIPO,\r\n"
    "         coalesce(FI.RDB$CHARACTER_LENGTH, FI.RDB$FIELD_LENGTH) as CARACTERES,\r\n"
    "         coalesce(FI.RDB$FIELD_PRECISION, 0) as PRECISAO,\r\n"
    "         -coalesce(FI.RDB$FIELD_SCALE, 0) as ESCALA,\r\n"
    "         coalesce(FI.RDB$CHARACTER_SET_ID, 0) as CONJUNTO,\r\n"
    "         iif(FI.RDB$COMPUTED_SOURCE is null, 0, 1) as CALCULADA,\r\n"
    "         coalesce(FI.RDB$DIMENSIONS, 0) as DIMENSOES,\r\n"
    "         iif(coalesce(RF.RDB$NULL_FLAG, 0) = 1 or coalesce(FI.RDB$NULL_FLAG, 0) = 1, 1, 0)\r\n"
    "           as OBRIGATORIA,\r\n"
    "         iif(RF.RDB$DEFAULT_SOURCE is null and FI.RDB$DEFAULT_SOURCE is null, 0, 1)\r\n"
    "           as PADRAO,\r\n"
    "         coalesce(RF.RDB$COLLATION_ID, FI.RDB$COLLATION_ID, 0) as COLACAO,\r\n"
    "         trim(CS.RDB$CHARACTER_SET_NAME) as NOME_CONJUNTO,\r\n"
    "         trim(CO.RDB$COLLATION_NAME) as NOME_COLACAO\r\n"
    "    from RDB$RELATIONS R\r\n"
    "    join RDB$RELATION_FIELDS RF\r\n"
    "      on RF.RDB$RELATION_NAME = R.RDB$RELATION_NAME\r\n"
    "    join RDB$FIELDS FI\r\n"
    "      on FI.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE\r\n"
    "    left join RDB$CHARACTER_SETS CS\r\n"
    "      on CS.RDB$CHARACTER_SET_ID = FI.RDB$CHARACTER_SET_ID\r\n"
    "    left join RDB$COLLATIONS CO\r\n"
    "      on CO.RDB$CHARACTER_SET_ID = FI.RDB$CHARACTER_SET_ID\r\n"
    "     and CO.RDB$COLLATION_ID = coalesce(RF.RDB$COLLATION_ID, FI.RDB$COLLATION_ID, 0)\r\n"
    "   where R.RDB$SYSTEM_FLAG = 0\r\n"
    "order by R.RDB$RELATION_NAME, RF.RDB$FIELD_POSITION\r\n";

} // namespace

bool TColunaCatalogo::Numero() const noexcept
{
    switch (Tipo) {
    case 7:  // smallint
    case 8:  // integer
    case 10: // float
    case 16: // bigint and numeric
    case 27: // double precision
        return true;
    default:
        return false;
    }
}

// The declaration with the column's own storage: an exact number by the integer that holds
// it (the server's limit), not by its declared precision.
std::string TColunaCatalogo::TipoSql(bool comColacao) const
{
    const auto exato = [this](const char* inteiro, const char* digitos) {
        if (Escala == 0 && SubTipo == 0)
            return std::string(inteiro);
        return "numeric(" + std::string(digitos) + "," + std::to_string(Escala) + ")";
    };
    const auto texto = [this, comColacao](const char* tipo) {
        std::string sql = std::string(tipo) + "(" + std::to_string(std::max(Caracteres, 1)) +
                          ")";
        if (!NomeConjunto.empty())
            sql += " character set " + NomeConjunto;
        if (comColacao && !NomeColacao.empty() && NomeColacao != NomeConjunto)
            sql += " collate " + NomeColacao;
        return sql;
    };
    switch (Tipo) {
    case 7:
        return exato("smallint", "4");
    case 8:
        return exato("integer", "9");
    case 16:
        return exato("bigint", "18");
    case 10:
        return "float";
    case 27:
        return "double precision";
    case 12:
        return "date";
    case 13:
        return "time";
    case 35:
        return "timestamp";
    case 23:
        return "boolean";
    case 14:
        return texto("char");
    case 37:
        return texto("varchar");
    case 261:
        return SubTipo == 1 && !NomeConjunto.empty()
                   ? "blob sub_type text character set " + NomeConjunto
                   : "blob sub_type " + std::to_string(SubTipo);
    default:
        return {};
    }
}

const TColunaCatalogo* TRelacaoCatalogo::Coluna(const std::string& nome) const
{
    for (const TColunaCatalogo& coluna : Colunas)
        if (coluna.Nome == nome)
            return &coluna;
    return nullptr;
}

TCatalogoRelacoes LerCatalogoRelacoes(TConexao& conexao)
{
    TConsulta consulta(&conexao, SQLColunas);
    consulta.Abrir();
    TCatalogoRelacoes relacoes;
    for (; !consulta.Eof(); consulta.Proximo()) {
        const auto inteiro = [&consulta](const char* nome) {
            return consulta.Campo(nome).ComoInteiro();
        };
        TRelacaoCatalogo& relacao = relacoes[consulta.Campo("TABELA").ComoTexto()];
        relacao.Visao = inteiro("VISAO") != 0;
        TColunaCatalogo coluna;
        coluna.Nome = consulta.Campo("COLUNA").ComoTexto();
        coluna.Dominio = consulta.Campo("DOMINIO").ComoTexto();
        coluna.Tipo = inteiro("TIPO");
        coluna.SubTipo = inteiro("SUBTIPO");
        coluna.Caracteres = inteiro("CARACTERES");
        coluna.Precisao = inteiro("PRECISAO");
        coluna.Escala = inteiro("ESCALA");
        coluna.ConjuntoCaracteres = inteiro("CONJUNTO");
        coluna.Calculada = inteiro("CALCULADA") != 0;
        coluna.Vetor = inteiro("DIMENSOES") != 0;
        coluna.Obrigatoria = inteiro("OBRIGATORIA") != 0;
        coluna.Padrao = inteiro("PADRAO") != 0;
        coluna.Colacao = inteiro("COLACAO");
        coluna.NomeConjunto = consulta.Campo("NOME_CONJUNTO").ComoTexto();
        coluna.NomeColacao = consulta.Campo("NOME_COLACAO").ComoTexto();
        relacao.Colunas.push_back(std::move(coluna));
    }
    // The tool's own table is none of the database's.
    relacoes.erase(TRegistroChavesPendentes::Tabela);
    return relacoes;
}
