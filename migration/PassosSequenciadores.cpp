#include "PassosSequenciadores.h"

#include "AcompanhamentoMigracao.h"
#include "Cancelamento.h"
#include "Conexao.h"
#include "NomeSql.h"

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

} // namespace

TPassosSequenciadores::TPassosSequenciadores(const TContextoMigracao& contexto)
    : FContexto(contexto),
      sqlSequenciadores(&contexto.ConexaoOrigem, SQLSequenciadores),
      sqlValorSequenciador(&contexto.ConexaoOrigem),
      sqlSequenciadoresDestino(&contexto.ConexaoDestino, SQLSequenciadoresDestino)
{
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
    acompanhamento.Reiniciar(TBarra::Atual, sqlSequenciadores.TotalRegistros());

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

        // A new sequence already stands at 0; one that stayed has a value of its own.
        if (mantido || valor > 0)
            FContexto.ConexaoDestino.Executar("alter sequence " + NomeSql(nome) +
                                              " restart with " + std::to_string(valor));
        acompanhamento.Avancar(TBarra::Atual);
    }
    sqlSequenciadores.Fechar();

    acompanhamento.AdicionarLog("Sequenciadores criados: " +
                                std::to_string(acompanhamento.Maximo(TBarra::Atual)) + ".");
    acompanhamento.Avancar(TBarra::Total);
}
