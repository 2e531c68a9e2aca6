#include "IndicePendente.h"

#include "NomeSql.h"

std::string TIndicePendente::SQLDesativar() const
{
    return "alter index " + NomeSql(Nome) + " inactive";
}

std::string TIndicePendente::SQLAtivar() const
{
    return "alter index " + NomeSql(Nome) + " active";
}
