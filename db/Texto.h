#pragma once

#include <string>
#include <string_view>

// The program keeps its text in UTF-8; the connections speak WIN1252. These convert between
// the two with the C library's iconv.

// UTF-8 to WIN1252; a character WIN1252 cannot hold fails with EBancoDados.
std::string ConverterParaBanco(std::string_view utf8);

// Whether WIN1252 holds every character of the UTF-8 text.
bool RepresentavelNoBanco(std::string_view utf8);

// WIN1252 to UTF-8; a byte WIN1252 leaves undefined fails with EBancoDados.
std::string ConverterDoBanco(std::string_view win1252);

// For the server's error messages: never fails, an undefined byte becomes '?', so that the
// report of one error cannot turn into another.
std::string ConverterMensagemDoBanco(std::string_view win1252);
