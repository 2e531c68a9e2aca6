#include "PassosSequenciadores.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "NomeSql.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

namespace {

const char* const SQLSequenciadores =
    "  select RDB$GENERATOR_NAME as NOME\r\n"
    "    from RDB$GENERATORS\r\n"
    "   where RDB$SYSTEM_FLAG = 0\r\n"
    "order by 1\r\n";

const char* const SQLSequenciadoresDestino =
    "  select G.RDB$GENERATOR_NAME as NOME,\r\n"
    "         iif(exists(select 1\r\n"
    "                      from RDB$DEPENDENCIES D\r\n"
    "                     where D.RDB$DEPENDED_ON_NAME = G.RDB$GENERATOR_NAME\r\n"
    "                       and D.RDB$DEPENDED_ON_TYPE = 14), 1, 0) as EM_USO\r\n"
    "    from RDB$GENERATORS G\r\n"
    "   where coalesce(G.RDB$SYSTEM_FLAG, 0) = 0\r\n"
    "order by 1\r\n";

// Every identity column with the sequence the server keeps for it.
const char* const SQLIdentidades =
    "  select RF.RDB$RELATION_NAME as TABELA,\r\n"
    "         RF.RDB$FIELD_NAME as COLUNA,\r\n"
    "         G.RDB$GENERATOR_NAME as SEQUENCIA,\r\n"
    "         G.RDB$GENERATOR_INCREMENT as INCREMENTO\r\n"
    "    from RDB$RELATION_FIELDS RF\r\n"
    "    join RDB$GENERATORS G\r\n"
    "      on G.RDB$GENERATOR_NAME = RF.RDB$GENERATOR_NAME\r\n"
    "   where RF.RDB$IDENTITY_TYPE is not null\r\n"
    "order by 1, 2\r\n";

std::int64_t ValorUnico(TConexao& conexao, const std::string& sql)
{
    TConsulta consulta(&conexao, sql);
    consulta.Abrir();
    return consulta.Campo(0).ComoInteiro64();
}

} // namespace

TPassosSequenciadores::TPassosSequenciadores(const TContextoMigracao& contexto,
                                             const TListaTextos& tabelas)
    : FContexto(contexto),
      FTabelas(tabelas),
      sqlSequenciadores(&contexto.ConexaoOrigem, SQLSequenciadores),
      sqlValorSequenciador(&contexto.ConexaoOrigem),
      sqlSequenciadoresDestino(&contexto.ConexaoDestino, SQLSequenciadoresDestino),
      sqlIdentidadesOrigem(&contexto.ConexaoOrigem, SQLIdentidades),
      sqlIdentidadesDestino(&contexto.ConexaoDestino, SQLIdentidades)
{
}

std::string TPassosSequenciadores::Reinicio(std::int64_t valor, std::int64_t incremento) const
{
    return " restart with " + std::to_string(FVersaoServidor >= 4 ? valor + incremento : valor);
}

void TPassosSequenciadores::ExcluirSequenciadores()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    acompanhamento.AdicionarLog("Excluindo sequenciadores...");
    acompanhamento.Reiniciar(TBarra::Atual, 1);

    sqlSequenciadores.Fechar();
    sqlSequenciadores.Abrir();

    FMantidos.clear();
    sqlSequenciadoresDestino.Fechar();
    sqlSequenciadoresDestino.Abrir();
    for (sqlSequenciadoresDestino.Primeiro(); !sqlSequenciadoresDestino.Eof();
         sqlSequenciadoresDestino.Proximo()) {
        const std::string nome = sqlSequenciadoresDestino.Campo("NOME").ComoTexto();
        if (sqlSequenciadoresDestino.Campo("EM_USO").ComoInteiro() != 0) {
            FMantidos.insert(nome);
            continue;
        }
        FContexto.Cancelamento.Verificar();
        FContexto.ConexaoDestino.Executar("drop sequence " + NomeSql(nome));
    }
    sqlSequenciadoresDestino.Fechar();

    acompanhamento.Avancar(TBarra::Atual);
    acompanhamento.Avancar(TBarra::Total);
}

void TPassosSequenciadores::CriarSequenciadores()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    TConsulta versao(&FContexto.ConexaoDestino,
                     "select rdb$get_context('SYSTEM', 'ENGINE_VERSION') from RDB$DATABASE");
    versao.Abrir();
    FVersaoServidor = std::atoi(versao.Campo(0).ComoTexto().c_str());
    versao.Fechar();

    sqlIdentidadesDestino.Fechar();
    sqlIdentidadesDestino.Abrir();
    int identidades = 0;
    for (sqlIdentidadesDestino.Primeiro(); !sqlIdentidadesDestino.Eof();
         sqlIdentidadesDestino.Proximo())
        identidades += FTabelas.Contem(sqlIdentidadesDestino.Campo("TABELA").ComoTexto()) ? 1 : 0;
    const int sequencias = sqlSequenciadores.TotalRegistros();
    acompanhamento.Reiniciar(TBarra::Atual, sequencias + identidades);

    for (sqlSequenciadores.Primeiro(); !sqlSequenciadores.Eof(); sqlSequenciadores.Proximo()) {
        FContexto.Cancelamento.Verificar();
        const std::string nome = sqlSequenciadores.Campo("NOME").ComoTexto();
        acompanhamento.AdicionarLog("Criando sequenciador... " + nome);
        const bool mantido = FMantidos.count(nome) > 0;
        if (!mantido)
            FContexto.ConexaoDestino.Executar("create sequence " + NomeSql(nome));

        sqlValorSequenciador.Fechar();
        sqlValorSequenciador.DefinirSQL("select gen_id(" + NomeSql(nome) + ", 0) from RDB$DATABASE");
        sqlValorSequenciador.Abrir();
        const std::int64_t valor = sqlValorSequenciador.Campo(0).ComoInteiro64();
        sqlValorSequenciador.Fechar();

        // Every one restarts at the source's value, 0 and below included: where a new
        // sequence stands depends on the server's version, and one that stayed has a value of
        // its own.
        const std::int64_t incremento =
            mantido && FVersaoServidor >= 4
                ? ValorUnico(FContexto.ConexaoDestino,
                             "select RDB$GENERATOR_INCREMENT from RDB$GENERATORS "
                             "where RDB$GENERATOR_NAME = " + LiteralSql(nome))
                : 1;
        FContexto.ConexaoDestino.Executar("alter sequence " + NomeSql(nome) +
                                          Reinicio(valor, incremento));
        acompanhamento.Avancar(TBarra::Atual);
    }
    sqlSequenciadores.Fechar();

    ContinuarIdentidades();

    acompanhamento.AdicionarLog("Sequenciadores criados: " + std::to_string(sequencias) + ".");
    acompanhamento.Avancar(TBarra::Total);
}

// Each identity column of a copied table takes the value of the source's column of the same
// name, or the largest value copied into it when that is higher (the source may have been
// filled with explicit keys, which leave its sequence behind).
void TPassosSequenciadores::ContinuarIdentidades()
{
    TAcompanhamentoMigracao& acompanhamento = FContexto.Acompanhamento;
    std::map<std::pair<std::string, std::string>, std::string> daOrigem;
    sqlIdentidadesOrigem.Fechar();
    sqlIdentidadesOrigem.Abrir();
    for (sqlIdentidadesOrigem.Primeiro(); !sqlIdentidadesOrigem.Eof();
         sqlIdentidadesOrigem.Proximo())
        daOrigem[{sqlIdentidadesOrigem.Campo("TABELA").ComoTexto(),
                  sqlIdentidadesOrigem.Campo("COLUNA").ComoTexto()}] =
            sqlIdentidadesOrigem.Campo("SEQUENCIA").ComoTexto();
    sqlIdentidadesOrigem.Fechar();

    for (sqlIdentidadesDestino.Primeiro(); !sqlIdentidadesDestino.Eof();
         sqlIdentidadesDestino.Proximo()) {
        const std::string tabela = sqlIdentidadesDestino.Campo("TABELA").ComoTexto();
        if (!FTabelas.Contem(tabela))
            continue;
        FContexto.Cancelamento.Verificar();
        const std::string coluna = sqlIdentidadesDestino.Campo("COLUNA").ComoTexto();
        acompanhamento.AdicionarLog("Ajustando identidade... " + tabela + "." + coluna);

        std::int64_t valor = ValorUnico(FContexto.ConexaoDestino,
                                        "select coalesce(cast(max(" + NomeSql(coluna) +
                                            ") as bigint), 0) from " + NomeSql(tabela));
        const auto origem = daOrigem.find({tabela, coluna});
        if (origem != daOrigem.end())
            valor = std::max(valor, ValorUnico(FContexto.ConexaoOrigem,
                                               "select gen_id(" + NomeSql(origem->second) +
                                                   ", 0) from RDB$DATABASE"));
        FContexto.ConexaoDestino.Executar(
            "alter table " + NomeSql(tabela) + " alter column " + NomeSql(coluna) +
            Reinicio(valor, sqlIdentidadesDestino.Campo("INCREMENTO").ComoInteiro64()));
        acompanhamento.Avancar(TBarra::Atual);
    }
    sqlIdentidadesDestino.Fechar();
}
