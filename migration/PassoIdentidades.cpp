#include "PassoIdentidades.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "Consulta.h"
#include "NomeSql.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

const char* const SQLIdentidades =
    "select trim(RDB$RELATION_NAME), trim(RDB$FIELD_NAME), trim(RDB$GENERATOR_NAME) "
    "from RDB$RELATION_FIELDS where RDB$IDENTITY_TYPE is not null "
    "and RDB$GENERATOR_NAME is not null order by 1, 2";

std::int64_t Valor(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro64();
}

} // namespace

void TPassoIdentidades::AcertarIdentidades(const TListaTextos& tabelas)
{
    TConexao& origem = FContexto.ConexaoOrigem;
    TConexao& destino = FContexto.ConexaoDestino;
    std::map<std::string, std::string> sequenciasOrigem;
    {
        TConsulta consulta(&origem, SQLIdentidades);
        consulta.Abrir();
        for (; !consulta.Eof(); consulta.Proximo())
            sequenciasOrigem[consulta.Campo(0).ComoTexto() + "." + consulta.Campo(1).ComoTexto()] =
                consulta.Campo(2).ComoTexto();
    }

    TConsulta consulta(&destino, SQLIdentidades);
    consulta.Abrir();
    for (; !consulta.Eof(); consulta.Proximo()) {
        const std::string tabela = consulta.Campo(0).ComoTexto();
        const std::string coluna = consulta.Campo(1).ComoTexto();
        const std::string sequencia = consulta.Campo(2).ComoTexto();
        if (!tabelas.Contem(tabela))
            continue;
        FContexto.Cancelamento.Verificar();
        const auto naOrigem = sequenciasOrigem.find(tabela + "." + coluna);
        const std::int64_t daOrigem =
            naOrigem == sequenciasOrigem.end()
                ? 0
                : Valor(origem, "select gen_id(" + NomeSql(naOrigem->second) +
                                    ", 0) from RDB$DATABASE");
        const std::int64_t maior = Valor(destino, "select max(" + NomeSql(coluna) + ") from " +
                                                      NomeSql(tabela));
        const std::int64_t alvo = std::max(daOrigem, maior);
        const std::string atual = "select gen_id(" + NomeSql(sequencia) + ", 0) from RDB$DATABASE";
        if (Valor(destino, atual) == alvo)
            continue;
        FContexto.Acompanhamento.AdicionarLog("Acertando identidade... " + tabela + "." + coluna);
        const auto reiniciar = [&](std::int64_t valor) {
            destino.Executar("alter table " + NomeSql(tabela) + " alter column " + NomeSql(coluna) +
                             " restart with " + std::to_string(valor));
        };
        // Servers differ on what "restart with" leaves as the current value (the value itself,
        // or the value before it); the value read back says which, and a second restart
        // makes up the difference.
        reiniciar(alvo);
        const std::int64_t lido = Valor(destino, atual);
        if (lido < alvo)
            reiniciar(alvo + (alvo - lido));
    }
}
