#pragma once

#include <string>

// A table, column, constraint or sequence name as it must be written into a statement: as it
// is when it is an ordinary upper-case identifier, between double quotes (inner quotes
// doubled) when it is not (lower case, blanks, quotes, a leading digit, a reserved word). So
// ordinary names keep the statements' usual text and no name can change a statement.
std::string NomeSql(const std::string& nome);

// The same rule for statements the server builds from its own catalogue: an SQL expression
// that turns the name the given expression yields (without trailing blanks) into the name as
// NomeSql writes it.
std::string NomeSqlNoServidor(const std::string& expressao);

// The name as a single-quoted literal, inner quotes doubled.
std::string LiteralSql(const std::string& texto);
