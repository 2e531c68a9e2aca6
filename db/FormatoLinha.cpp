#include "FormatoLinha.h"

#include "ErroBancoDados.h"
#include "Firebird.h"

#include <algorithm>

using namespace Firebird;

TFormatoLinha TFormatoLinha::De(IMessageMetadata* meta)
{
    fb::TStatus status;
    TFormatoLinha formato;
    const unsigned total = meta->getCount(&status);
    for (unsigned i = 0; i < total; ++i) {
        TColunaMensagem coluna;
        coluna.Tipo = meta->getType(&status, i) & ~1u;
        coluna.Escala = meta->getScale(&status, i);
        coluna.SubTipo = meta->getSubType(&status, i);
        coluna.Tamanho = meta->getLength(&status, i);
        coluna.ConjuntoCaracteres = ConjuntoDoId(meta->getCharSet(&status, i));
        coluna.Deslocamento = meta->getOffset(&status, i);
        coluna.DeslocamentoNulo = meta->getNullOffset(&status, i);
        formato.TemBlob = formato.TemBlob || coluna.Blob();
        formato.Colunas.push_back(coluna);
    }
    formato.TamanhoMensagem = meta->getMessageLength(&status);
    return formato;
}

const std::string& NomeConjunto(unsigned id, const TConjuntosCaracteres& conjuntos)
{
    auto achado = conjuntos.find(id);
    if (achado == conjuntos.end())
        throw EBancoDados::DaCamada("Conjunto de caracteres desconhecido: " + std::to_string(id) +
                                    ".");
    return achado->second.Nome;
}

namespace {

unsigned Caracteres(const TColunaMensagem& coluna, const TConjuntosCaracteres& conjuntos)
{
    auto achado = conjuntos.find(coluna.ConjuntoCaracteres);
    const unsigned bytes = achado == conjuntos.end() ? 1 : achado->second.BytesPorCaractere;
    return std::max(1u, coluna.Tamanho / std::max(1u, bytes));
}

std::string Numerico(const char* inteiro, unsigned precisao, int escala)
{
    if (escala == 0)
        return inteiro;
    return "numeric(" + std::to_string(precisao) + "," + std::to_string(-escala) + ")";
}

} // namespace

std::string DeclaracaoTipo(const TColunaMensagem& coluna, const TConjuntosCaracteres& conjuntos)
{
    switch (coluna.Tipo) {
    case SQL_TEXT:
        return "char(" + std::to_string(Caracteres(coluna, conjuntos)) + ") character set " +
               NomeConjunto(coluna.ConjuntoCaracteres, conjuntos);
    case SQL_VARYING:
        return "varchar(" + std::to_string(Caracteres(coluna, conjuntos)) + ") character set " +
               NomeConjunto(coluna.ConjuntoCaracteres, conjuntos);
    case SQL_SHORT:
        return Numerico("smallint", 4, coluna.Escala);
    case SQL_LONG:
        return Numerico("integer", 9, coluna.Escala);
    case SQL_INT64:
        return Numerico("bigint", 18, coluna.Escala);
    case SQL_FLOAT:
        return "float";
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return "double precision";
    case SQL_TYPE_DATE:
        return "date";
    case SQL_TYPE_TIME:
        return "time";
    case SQL_TIMESTAMP:
        return "timestamp";
    case SQL_BOOLEAN:
        return "boolean";
    case SQL_BLOB:
        if (coluna.SubTipo == isc_blob_text)
            return "blob sub_type text character set " +
                   NomeConjunto(coluna.ConjuntoCaracteres, conjuntos);
        return "blob sub_type " + std::to_string(coluna.SubTipo);
    default:
        throw EBancoDados::DaCamada("A cópia não sabe transportar o tipo de coluna " +
                                    std::to_string(coluna.Tipo) + ".");
    }
}
