#pragma once

#include <optional>
#include <string>

// The condition of a CHECK, table or domain, read from the source the server keeps of it
// ("/* limite */ check (X >= 0 -- positivo\n)": comments, line breaks and case kept) and made
// ready to go into a statement: the text between the parentheses that follow the word CHECK,
// comments left out, so that nothing the condition held can swallow what the statement puts
// after it. Strings and quoted names are kept whole, whatever parentheses or words they hold.
// The statements travel as WIN1252: a string holding characters WIN1252 lacks is written as
// its UTF-8 bytes cast to UTF8, which the server reads back as the same characters.
// Valor: for a domain's CHECK, what stands for the word VALUE (the column's value).
// Nothing when the source holds no CHECK followed by a balanced parenthesised condition.
std::optional<std::string> CondicaoCheck(const std::string& fonte, const std::string& valor = {});
