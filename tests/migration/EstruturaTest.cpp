#include "ComparacaoLinhaComando.h"
#include "Conexao.h"
#include "InspecaoBanco.h"
#include "Migracao.h"
#include "ParMigracao.h"
#include "ProvaMigracao.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

bool Contem(const std::vector<std::string>& textos, const std::string& parte)
{
    return std::any_of(textos.begin(), textos.end(), [&parte](const std::string& texto) {
        return texto.find(parte) != std::string::npos;
    });
}

std::string NomeChaveGerada(TConexao& conexao, const std::string& tabela)
{
    return Valor(conexao, "select trim(RDB$CONSTRAINT_NAME) from RDB$RELATION_CONSTRAINTS "
                          "where RDB$CONSTRAINT_TYPE = 'FOREIGN KEY' and RDB$RELATION_NAME = '" +
                              tabela + "' and RDB$CONSTRAINT_NAME starting with 'INTEG_'");
}

struct TCasoEstrutura {
    std::string Nome;
    std::vector<std::string> Plantio; // statements run on the destination after the copy
    std::string Linha;                // the proof's line naming it
};

void PrintTo(const TCasoEstrutura& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

class EstruturaPlantadaTest : public ::testing::TestWithParam<TCasoEstrutura> {};

// A foreign key or a trigger changed in the destination once the run has recreated them, just
// before its proof reads the pair: the run fails naming it, and the command line's comparison
// names it the same way.
TEST_P(EstruturaPlantadaTest, ProvaDaExecucaoECompararNomeiamADiferenca)
{
    const TCasoEstrutura& caso = GetParam();
    TParMigracao par;
    par.Desconectar();
    TRelatorioGravado relatorio;
    relatorio.AoAcrescentar = [&](const std::string& texto) {
        if (texto != "Conferindo o DESTINO com a ORIGEM...")
            return;
        TConexao plantio;
        plantio.DefinirBanco(par.Destino.Caminho());
        for (const std::string& sql : caso.Plantio)
            plantio.Executar(sql);
    };
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou)
        << relatorio.Linhas.back();
    const auto textos = relatorio.Textos();
    EXPECT_TRUE(Contem(textos, caso.Linha)) << ::testing::PrintToString(textos);
    EXPECT_EQ(textos.back(),
              "Ocorreu um erro: \r\nO DESTINO não ficou igual à ORIGEM: 1 diferença(s), "
              "listadas acima.");
    EXPECT_FALSE(migracao.UltimaProva().Igual());

    const TComparacaoLinhaComando comparacao = CompararPelaLinhaComando(par);
    EXPECT_EQ(comparacao.Codigo, 1) << comparacao.Saida;
    EXPECT_NE(comparacao.Saida.find(" - " + caso.Linha + "\n"), std::string::npos)
        << comparacao.Saida;
}

INSTANTIATE_TEST_SUITE_P(
    Plantadas, EstruturaPlantadaTest,
    ::testing::Values(
        TCasoEstrutura{"ChaveExcluida",
                       {"alter table CLIENTES_EMAIL drop constraint FK_CLIENTES_EMAIL_CLIENTE"},
                       "Chave estrangeira da ORIGEM ausente no DESTINO: alter table "
                       "CLIENTES_EMAIL add constraint FK_CLIENTES_EMAIL_CLIENTE foreign key "
                       "(EMPRESA,CLI_CODIGO) references CLIENTES (EMPRESA,CLI_CODIGO) on delete "
                       "CASCADE."},
        // Same columns, same reference, another rule: one line with both statements.
        TCasoEstrutura{"ChaveComOutraRegra",
                       {"alter table PEDIDOS_ITENS drop constraint FK_PEDIDOS_ITENS_PEDIDO",
                        "alter table PEDIDOS_ITENS add constraint FK_PEDIDOS_ITENS_PEDIDO "
                        "foreign key (PEDIDO) references PEDIDOS (PEDIDO)"},
                       "Chave estrangeira diferente no DESTINO: ORIGEM alter table PEDIDOS_ITENS "
                       "add constraint FK_PEDIDOS_ITENS_PEDIDO foreign key (PEDIDO) references "
                       "PEDIDOS (PEDIDO) on delete CASCADE; DESTINO alter table PEDIDOS_ITENS add "
                       "constraint FK_PEDIDOS_ITENS_PEDIDO foreign key (PEDIDO) references PEDIDOS "
                       "(PEDIDO)."},
        TCasoEstrutura{"GatilhoExcluido",
                       {"drop trigger MARCAS_BI"},
                       "Gatilho da ORIGEM ausente no DESTINO: MARCAS_BI (MARCAS)."},
        TCasoEstrutura{"GatilhoComOutroCodigo",
                       {"alter trigger CLIENTES_BIU as begin new.COD_ATUALIZACAO = 1; end"},
                       "Gatilho CLIENTES_BIU (CLIENTES) diferente no DESTINO: código-fonte "
                       "diferente."},
        TCasoEstrutura{"GatilhoComOutrosEventosEPosicao",
                       {"alter trigger PEDIDOS_BI before insert or update position 5"},
                       "Gatilho PEDIDOS_BI (PEDIDOS) diferente no DESTINO: tipo (ORIGEM before "
                       "insert, DESTINO before insert or update); posição (ORIGEM 0, DESTINO 5)."},
        // The fixture's companies replicate: the run installed PRODUTOS_RPL.
        TCasoEstrutura{"GatilhoDaReplicacaoExcluido",
                       {"drop trigger PRODUTOS_RPL"},
                       "Gatilho da replicação ausente no DESTINO: PRODUTOS_RPL (PRODUTOS)."}),
    [](const auto& info) { return info.param.Nome; });

// What the server or an editor makes differ without the structure differing: a key declared
// without a name is INTEG_n by another n, and a trigger's text has other line ends and blanks
// at the ends of its lines. The pair still compares equal, with the replication triggers that
// only the destination has.
TEST(EstruturaTest, NomesGeradosEFinsDeLinhaNaoSaoDiferencas)
{
    TParMigracao par;
    par.Desconectar();
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();

    const std::string gerada = NomeChaveGerada(par.ConexaoDestino, "PEDIDOS");
    ASSERT_FALSE(gerada.empty());
    par.ConexaoDestino.Executar("alter table PEDIDOS drop constraint " + gerada);
    par.ConexaoDestino.Executar("alter table PEDIDOS add foreign key (EMPRESA, CLI_CODIGO) "
                                "references CLIENTES (EMPRESA, CLI_CODIGO)");
    par.ConexaoDestino.Executar(
        "alter trigger CLIENTES_BIU as  \r\nbegin\t\r\n  new.COD_ATUALIZACAO = "
        "coalesce(new.COD_ATUALIZACAO, 0) + 1;   \r\nend\r\n\r\n");
    EXPECT_NE(NomeChaveGerada(par.ConexaoDestino, "PEDIDOS"),
              NomeChaveGerada(par.ConexaoOrigem, "PEDIDOS"));
    EXPECT_NE(Valor(par.ConexaoDestino, "select RDB$TRIGGER_SOURCE from RDB$TRIGGERS "
                                        "where RDB$TRIGGER_NAME = 'CLIENTES_BIU'"),
              Valor(par.ConexaoOrigem, "select RDB$TRIGGER_SOURCE from RDB$TRIGGERS "
                                       "where RDB$TRIGGER_NAME = 'CLIENTES_BIU'"));
    EXPECT_EQ(Gatilhos(par.ConexaoOrigem).count("PRODUTOS_RPL"), 0u);
    EXPECT_EQ(Gatilhos(par.ConexaoDestino).count("PRODUTOS_RPL"), 1u);

    TProvaMigracao prova(par.ConexaoOrigem, par.ConexaoDestino);
    const TResultadoProva resultado = prova.Provar({});
    EXPECT_EQ(resultado.OutrasDiferencas, std::vector<std::string>{});
    par.Desconectar();
    EXPECT_EQ(migracao.Comparar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoComparacao::Iguais)
        << ::testing::PrintToString(relatorio.Textos());
}

// A run failed with every foreign key dropped and recorded; then both copies of the record's
// entries of two keys were damaged: their rows in the destination's table and the whole file.
// The rows still name the keys: one by the user's name, one by the name the server made up.
// With --descartar-chaves-pendentes the run takes both from the source's catalogue, says so in
// the lines of what it discards, and the destination ends with every key it had.
TEST(RegistroDanificadoTest, ChaveDanificadaNasDuasCopiasVemDaOrigem)
{
    TParMigracao par;
    par.Destino.ExecutarScript("update TIPOS_DADOS set C_VARCHAR = 'destino';\n"
                               "alter table TIPOS_DADOS add constraint CK_TIPOS_ATE_2 "
                               "check (ID <= 2);");
    const auto chaves = ChavesEstrangeiras(par.ConexaoDestino);
    const std::string gerada = NomeChaveGerada(par.ConexaoDestino, "PEDIDOS");
    ASSERT_FALSE(gerada.empty());
    par.Desconectar();
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Falhou);
    migracao.DispensarVerificacao(false);

    par.Destino.ExecutarScript(std::string("update ") + TRegistroChavesPendentes::Tabela +
                               " set DEFINICAO = '{\"tabela\": ' where NOME in "
                               "('FK_PEDIDOS_ITENS_PEDIDO', '" + gerada + "');\n"
                               "alter table TIPOS_DADOS drop constraint CK_TIPOS_ATE_2;");
    par.Desconectar();
    const std::string arquivo = TMigracao::ArquivoChavesPendentes(par.Destino.Caminho());
    std::filesystem::resize_file(arquivo, std::filesystem::file_size(arquivo) / 2);

    migracao.DefinirDescarteChavesPendentes(true);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << relatorio.Linhas.back();
    const auto textos = relatorio.Textos();
    const std::string linhaDanificada = "Descartado: A tabela " +
                                        std::string(TRegistroChavesPendentes::Tabela) +
                                        " do DESTINO, que registra as chaves estrangeiras "
                                        "pendentes, tem uma linha danificada (TABELA ";
    EXPECT_TRUE(Contem(textos, linhaDanificada + "PEDIDOS_ITENS, NOME FK_PEDIDOS_ITENS_PEDIDO): "))
        << ::testing::PrintToString(textos);
    EXPECT_TRUE(Contem(textos, " A chave é recriada como na ORIGEM: alter table PEDIDOS_ITENS add "
                               "constraint FK_PEDIDOS_ITENS_PEDIDO foreign key (PEDIDO) "
                               "references PEDIDOS (PEDIDO) on delete CASCADE."));
    EXPECT_TRUE(Contem(textos, linhaDanificada + "PEDIDOS, NOME " + gerada + "): "));
    EXPECT_TRUE(Contem(textos, " A chave é recriada como na ORIGEM: alter table PEDIDOS add "
                               "foreign key (EMPRESA,CLI_CODIGO) references CLIENTES "
                               "(EMPRESA,CLI_CODIGO)."));
    EXPECT_EQ(ChavesEstrangeiras(par.ConexaoDestino), chaves);
    EXPECT_TRUE(migracao.UltimaProva().Igual());
    par.Desconectar();
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
}

} // namespace
