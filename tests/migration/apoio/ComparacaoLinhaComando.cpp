#include "ComparacaoLinhaComando.h"

#include <cstdio>
#include <sys/wait.h>

TComparacaoLinhaComando CompararPelaLinhaComando(TParMigracao& par)
{
    par.Desconectar();
    const std::string comando = std::string(VOREL_CLI) + " --comparar '" + par.Origem.Caminho() +
                                "' '" + par.Destino.Caminho() + "' 2>&1";
    TComparacaoLinhaComando resultado;
    FILE* saida = popen(comando.c_str(), "r");
    if (!saida)
        return resultado;
    char bloco[4096];
    while (std::size_t lidos = fread(bloco, 1, sizeof bloco, saida))
        resultado.Saida.append(bloco, lidos);
    const int estado = pclose(saida);
    resultado.Codigo = WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    return resultado;
}
