#include "ListaTextos.h"

#include <gtest/gtest.h>

namespace {

TEST(ListaTextosTest, ProcuraSemDiferenciarMaiusculas)
{
    TListaTextos lista{"PAISES", "URL_CONSULTA_NFCE", "Cest_Ncm"};
    for (const char* presente : {"PAISES", "paises", "Paises", "url_consulta_nfce", "CEST_NCM"})
        EXPECT_TRUE(lista.Contem(presente)) << presente;
    for (const char* ausente : {"PAISE", "PAISES ", "CEST", "", "URL_CONSULTA_CTE"})
        EXPECT_FALSE(lista.Contem(ausente)) << ausente;

    lista.Adicionar("clientes");
    EXPECT_TRUE(lista.Contem("CLIENTES"));
    EXPECT_EQ(lista.Quantidade(), 4);
    lista.Limpar();
    EXPECT_FALSE(lista.Contem("PAISES"));
    EXPECT_EQ(lista.Quantidade(), 0);
}

} // namespace
