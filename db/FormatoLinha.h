#pragma once

#include "ConjuntosCaracteres.h"

#include <firebird/Interface.h>

#include <map>
#include <string>
#include <vector>

// How one column of a fetched row lies in the client's message buffer, and everything needed
// to describe the same value again in a message for another statement.
struct TColunaMensagem {
    unsigned Tipo = 0; // SQL_* without the nullable bit
    int Escala = 0;
    int SubTipo = 0;
    unsigned Tamanho = 0;
    unsigned ConjuntoCaracteres = 0;
    unsigned Deslocamento = 0;
    unsigned DeslocamentoNulo = 0;

    bool Blob() const noexcept { return Tipo == SQL_BLOB; }
};

// The layout of the rows a statement delivers, read once from its output metadata.
struct TFormatoLinha {
    std::vector<TColunaMensagem> Colunas;
    unsigned TamanhoMensagem = 0;
    bool TemBlob = false;

    static TFormatoLinha De(Firebird::IMessageMetadata* meta);
};

// The name of a character set by id; an id the server did not list fails.
const std::string& NomeConjunto(unsigned id, const TConjuntosCaracteres& conjuntos);

// The SQL type that holds a column's value unchanged, as declared in an execute block header
// ("integer", "numeric(18,4)", "varchar(60) character set WIN1252", ...).
std::string DeclaracaoTipo(const TColunaMensagem& coluna, const TConjuntosCaracteres& conjuntos);
