#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// What a destination holds that the run could not fill is found before anything is changed,
// all of it at once: neither database is touched, not even the source's NULL yes/no values.
TEST(VerificacaoPreviaTest, RecusaTudoQueImpediriaAImportacaoSemAlterarNada)
{
    TParMigracao par;
    par.Destino.ExecutarScript(R"(
create table DESTINO_APENAS (ID integer);
alter table ICMS add ALIQUOTA_FCP numeric(5,2);
alter table MARCAS add CORES integer[3];
)");
    par.Origem.ExecutarScript("alter table MARCAS add CORES integer[3];");
    const auto origemAntes = Retrato(par.ConexaoOrigem);
    const auto destinoAntes = Retrato(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Abandonada);
    EXPECT_EQ(relatorio.Abandonos,
              std::vector<std::string>{
                  "A importação não pode ser iniciada:\r\n"
                  "- A tabela DESTINO_APENAS do DESTINO não existe na ORIGEM.\r\n"
                  "- A coluna ICMS.ALIQUOTA_FCP do DESTINO não existe na ORIGEM.\r\n"
                  "- A coluna MARCAS.CORES do DESTINO é do tipo ARRAY, que a importação não "
                  "sabe copiar.\r\n"
                  "- A coluna MARCAS.CORES da ORIGEM é do tipo ARRAY, que a importação não sabe "
                  "copiar."});
    EXPECT_TRUE(relatorio.FocoNoOk);
    EXPECT_TRUE(relatorio.Linhas.empty());
    EXPECT_EQ(relatorio.Limpezas, 0);

    EXPECT_EQ(Retrato(par.ConexaoOrigem), origemAntes);
    EXPECT_EQ(Retrato(par.ConexaoDestino), destinoAntes);
}

// The run switches the destination's triggers off and drops its keys: nobody else may be
// attached to it meanwhile, and each one attached is named. Someone attached to the source
// only earns a warning at the top of the log.
TEST(VerificacaoPreviaTest, OutrasConexoesAoDestinoRecusamEAOrigemAvisam)
{
    TParMigracao par;
    par.Desconectar();
    TConexao outraNoDestino;
    outraNoDestino.DefinirBanco(par.Destino.Caminho());
    outraNoDestino.IniciarTransacao();
    outraNoDestino.Executar("update MARCAS set MAR_DESCRICAO = MAR_DESCRICAO");

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Abandonada);
    ASSERT_EQ(relatorio.Abandonos.size(), 1u);
    const std::string& mensagem = relatorio.Abandonos[0];
    EXPECT_NE(mensagem.find("- O banco de dados de DESTINO está em uso por outra conexão: "
                            "usuário SYSDBA, endereço 127.0.0.1/"),
              std::string::npos)
        << mensagem;
    EXPECT_NE(mensagem.find(", programa " + std::filesystem::read_symlink("/proc/self/exe").string()),
              std::string::npos)
        << mensagem;
    EXPECT_NE(mensagem.find(", desde "), std::string::npos) << mensagem;
    outraNoDestino.Rollback();
    outraNoDestino.Desconectar();

    TConexao outraNaOrigem;
    outraNaOrigem.DefinirBanco(par.Origem.Caminho());
    outraNaOrigem.Executar("update MARCAS set MAR_DESCRICAO = MAR_DESCRICAO");
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    const auto textos = relatorio.Textos();
    EXPECT_EQ(textos.front().rfind("Atenção: o banco de dados de ORIGEM está em uso por outra "
                                   "conexão (usuário SYSDBA, endereço 127.0.0.1/",
                                   0),
              0u)
        << textos.front();
    EXPECT_EQ(textos[1], "Preenchendo campos do tipo boleano (que estão nulos), na base de "
                         "origem...");
}

// A second run on the pair, started while the first is copying, is refused before it changes
// anything; the first one completes as if alone.
TEST(VerificacaoPreviaTest, SegundaExecucaoNoMesmoParEhRecusada)
{
    TParMigracao par;
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    par.Desconectar();

    TRelatorioGravado relatorioSegunda;
    TMigracao segunda(relatorioSegunda);
    TResultadoMigracao resultadoSegunda = TResultadoMigracao::Concluida;
    TRelatorioGravado relatorio;
    relatorio.AoAcrescentar = [&](const std::string& texto) {
        if (texto == "Importando tabela... MARCAS")
            resultadoSegunda = segunda.Iniciar(par.Origem.Caminho(), par.Destino.Caminho());
    };
    TMigracao primeira(relatorio);
    ASSERT_EQ(primeira.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();

    EXPECT_EQ(resultadoSegunda, TResultadoMigracao::Abandonada);
    ASSERT_EQ(relatorioSegunda.Abandonos.size(), 1u);
    EXPECT_NE(relatorioSegunda.Abandonos[0].find("DESTINO está em uso"), std::string::npos);
    EXPECT_TRUE(relatorioSegunda.Linhas.empty());
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
}

} // namespace
