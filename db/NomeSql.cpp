#include "NomeSql.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// Words a Firebird 3, 4 or 5 server refuses as a bare identifier.
constexpr std::string_view PalavrasReservadas[] = {
    "ADD", "ADMIN", "ALL", "ALTER", "AND", "ANY", "AS", "AT", "AVG", "BEGIN", "BETWEEN",
    "BIGINT", "BINARY", "BIT_LENGTH", "BLOB", "BOOLEAN", "BOTH", "BY", "CASE", "CAST", "CHAR",
    "CHARACTER", "CHARACTER_LENGTH", "CHAR_LENGTH", "CHECK", "CLOSE", "COLLATE", "COLUMN",
    "COMMENT", "COMMIT", "CONNECT", "CONSTRAINT", "CORR", "COUNT", "COVAR_POP", "COVAR_SAMP",
    "CREATE", "CROSS", "CURRENT", "CURRENT_CONNECTION", "CURRENT_DATE", "CURRENT_ROLE",
    "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_TRANSACTION", "CURRENT_USER", "CURSOR",
    "DATE", "DAY", "DEC", "DECFLOAT", "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DELETING",
    "DETERMINISTIC", "DISCONNECT", "DISTINCT", "DOUBLE", "DROP", "ELSE", "END", "ESCAPE",
    "EXECUTE", "EXISTS", "EXTERNAL", "EXTRACT", "FALSE", "FETCH", "FILTER", "FLOAT", "FOR",
    "FOREIGN", "FROM", "FULL", "FUNCTION", "GDSCODE", "GLOBAL", "GRANT", "GROUP", "HAVING",
    "HOUR", "IN", "INDEX", "INNER", "INSENSITIVE", "INSERT", "INSERTING", "INT", "INT128",
    "INTEGER", "INTO", "IS", "JOIN", "LAG", "LEAD", "LEADING", "LEFT", "LIKE", "LOCAL",
    "LOCALTIME", "LOCALTIMESTAMP", "LONG", "LOWER", "MAX", "MERGE", "MIN", "MINUTE", "MONTH",
    "NATIONAL", "NATURAL", "NCHAR", "NO", "NOT", "NULL", "NUMERIC", "OCTET_LENGTH", "OF",
    "OFFSET", "ON", "ONLY", "OPEN", "OR", "ORDER", "OUTER", "OVER", "PARAMETER", "PLAN",
    "POSITION", "POST_EVENT", "PRECISION", "PRIMARY", "PROCEDURE", "PUBLICATION", "RDB$DB_KEY",
    "RDB$ERROR", "RDB$GET_CONTEXT", "RDB$GET_TRANSACTION_CN", "RDB$RECORD_VERSION",
    "RDB$ROLE_IN_USE", "RDB$SET_CONTEXT", "RDB$SYSTEM_PRIVILEGE", "REAL", "RECORD_VERSION",
    "RECREATE", "RECURSIVE", "REFERENCES", "REGR_AVGX", "REGR_AVGY", "REGR_COUNT",
    "REGR_INTERCEPT", "REGR_R2", "REGR_SLOPE", "REGR_SXX", "REGR_SXY", "REGR_SYY", "RELEASE",
    "RESETTING", "RETURN", "RETURNING_VALUES", "RETURNS", "REVOKE", "RIGHT", "ROLLBACK", "ROW",
    "ROWS", "ROW_COUNT", "SAVEPOINT", "SCROLL", "SECOND", "SELECT", "SENSITIVE", "SET",
    "SIMILAR", "SMALLINT", "SOME", "SQLCODE", "SQLSTATE", "START", "STDDEV_POP", "STDDEV_SAMP",
    "SUM", "TABLE", "THEN", "TIME", "TIMESTAMP", "TIMEZONE_HOUR", "TIMEZONE_MINUTE", "TO",
    "TRAILING", "TRIGGER", "TRIM", "TRUE", "UNBOUNDED", "UNION", "UNIQUE", "UNKNOWN", "UPDATE",
    "UPDATING", "UPPER", "USER", "USING", "VALUE", "VALUES", "VARBINARY", "VARCHAR", "VARIABLE",
    "VARYING", "VAR_POP", "VAR_SAMP", "VIEW", "WHEN", "WHERE", "WHILE", "WINDOW", "WITH",
    "WITHOUT", "YEAR"};

bool Reservada(const std::string& nome)
{
    return std::find(std::begin(PalavrasReservadas), std::end(PalavrasReservadas), nome) !=
           std::end(PalavrasReservadas);
}

bool Comum(const std::string& nome)
{
    if (nome.empty() || !(nome[0] >= 'A' && nome[0] <= 'Z'))
        return false;
    return std::all_of(nome.begin(), nome.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    });
}

std::string Entre(const std::string& texto, char aspa)
{
    std::string resultado(1, aspa);
    for (char c : texto) {
        resultado += c;
        if (c == aspa)
            resultado += aspa;
    }
    resultado += aspa;
    return resultado;
}

} // namespace

std::string NomeSql(const std::string& nome)
{
    if (Comum(nome) && !Reservada(nome))
        return nome;
    return Entre(nome, '"');
}

std::string NomeSqlNoServidor(const std::string& expressao)
{
    std::string reservadas;
    for (std::string_view palavra : PalavrasReservadas)
        reservadas += (reservadas.empty() ? "'" : ", '") + std::string(palavra) + "'";
    return "iif(" + expressao + " similar to '[A-Z][A-Z0-9_$]*' and " + expressao + " not in (" +
           reservadas + "), " + expressao + ", '\"' || replace(" + expressao +
           ", '\"', '\"\"') || '\"')";
}

std::string LiteralSql(const std::string& texto)
{
    return Entre(texto, '\'');
}
