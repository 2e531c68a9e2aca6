#include "LocalidadeUtf8.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>

void AdotarLocalidadeUtf8()
{
    if (std::setlocale(LC_CTYPE, "") && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    std::setlocale(LC_CTYPE, "C.UTF-8");
}
