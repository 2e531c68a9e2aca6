#include "Estreitamento.h"

namespace {

// The bits of the integer that stores an exact number, 0 for any other type.
int BitsExatos(const TColunaCatalogo& coluna)
{
    switch (coluna.Tipo) {
    case 7:
        return 16;
    case 8:
        return 32;
    case 16:
        return 64;
    default:
        return 0;
    }
}

// The significand's bits of a floating type, 0 for any other type.
int BitsSignificativos(const TColunaCatalogo& coluna)
{
    return coluna.Tipo == 10 ? 24 : coluna.Tipo == 27 ? 53 : 0;
}

bool TextoQualquer(const TColunaCatalogo& coluna)
{
    return coluna.Texto() || coluna.TextoLongo();
}

} // namespace

bool PodeEstreitar(const TColunaCatalogo& origem, const TColunaCatalogo& destino)
{
    const bool destinoExato = BitsExatos(destino) > 0;
    const int significandoDestino = BitsSignificativos(destino);
    if (TextoQualquer(origem))
        return destinoExato || significandoDestino > 0 || destino.Tipo == 12 ||
               destino.Tipo == 13 || destino.Tipo == 35 || destino.Tipo == 23;
    if (const int bits = BitsExatos(origem); bits > 0) {
        if (destinoExato)
            return destino.Escala < origem.Escala;
        // An integer of no more bits than the significand comes back whole, its decimals too:
        // the nearest decimal of the column's scale is still the one it was.
        return significandoDestino > 0 && bits > significandoDestino;
    }
    if (const int significando = BitsSignificativos(origem); significando > 0)
        // The server writes a double with 16 digits and a float with 8: text loses bits too.
        return destinoExato || TextoQualquer(destino) ||
               (significandoDestino > 0 && significandoDestino < significando);
    if (origem.Tipo == 35)
        return destino.Tipo == 12 || destino.Tipo == 13;
    return false;
}

bool MesmoArmazenamento(const TColunaCatalogo& origem, const TColunaCatalogo& destino)
{
    return origem.Tipo == destino.Tipo && origem.SubTipo == destino.SubTipo &&
           origem.Caracteres == destino.Caracteres && origem.Escala == destino.Escala &&
           origem.ConjuntoCaracteres == destino.ConjuntoCaracteres;
}
