#include "Retomada.h"

#include "InspecaoBanco.h"
#include "Migracao.h"
#include "RegistroChavesPendentes.h"
#include "RelatorioGravado.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

const char* const TabelaGrande = "create table LANCAMENTOS (ID integer not null primary key, "
                                 "HISTORICO varchar(60), VALOR numeric(15,2));\n";
const std::string OrigemGrande = std::string(TabelaGrande) + R"(
set term ^;
execute block as
  declare i integer = 0;
begin
  while (i < 60000) do
  begin
    insert into LANCAMENTOS values (:i, 'Lançamento ' || :i, :i * 1.25);
    i = i + 1;
  end
end^
set term ;^
)";

void ExecutarAte(TParMigracao& par,
                 const std::function<void(TRelatorioGravado&, TMigracao&)>& armar,
                 TResultadoMigracao esperado)
{
    // A run that ends part way, whatever its check would have said of the pair.
    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    migracao.DispensarVerificacao(true);
    armar(relatorio, migracao);
    EXPECT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()), esperado);
}

std::function<void(const std::string&, std::int64_t)> DuranteACopia(std::function<void()> fazer)
{
    return [fazer = std::move(fazer), feito = false](const std::string& tabela,
                                                      std::int64_t linhas) mutable {
        if (tabela == "LANCAMENTOS" && linhas > 0 && !feito) {
            feito = true;
            fazer();
        }
    };
}

void PrintTo(const TCasoRetomada& caso, std::ostream* saida)
{
    *saida << caso.Nome;
}

void AguardarSemOutrasConexoes(TConexao& conexao)
{
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    const char* const sql = "select count(*) from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> "
                            "current_connection and coalesce(MON$SYSTEM_FLAG, 0) = 0";
    while (Contar(conexao, sql) > 0) {
        conexao.Desconectar();
        ASSERT_LT(std::chrono::steady_clock::now(), limite) << "outras conexões não saíram";
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    conexao.Desconectar();
}

namespace {

void Preparar(TParMigracao& par, const std::string& origem, const std::string& destino)
{
    if (!origem.empty())
        par.Origem.ExecutarScript(origem);
    if (!destino.empty())
        par.Destino.ExecutarScript(destino);
}

} // namespace

void ConferirRetomada(const TCasoRetomada& caso)
{
    TParMigracao par(TBancoTeste::TConteudo::Aplicacao, "-interrompido");
    Preparar(par, caso.ScriptOrigem, caso.ScriptDestino);
    par.Desconectar();
    ASSERT_TRUE(par.ConexaoDestino.EscritaForcada());
    par.Desconectar();
    caso.PrimeiraExecucao(par);
    AguardarSemOutrasConexoes(par.ConexaoDestino);
    EXPECT_EQ(par.ConexaoDestino.EscritaForcada(), !caso.ProcessoMorto);
    EXPECT_EQ(TRegistroChavesPendentes(par.ConexaoDestino).Ler().EscritaForcada,
              caso.ProcessoMorto);
    Preparar(par, caso.CorrecaoOrigem, caso.CorrecaoDestino);
    AguardarSemOutrasConexoes(par.ConexaoOrigem);
    AguardarSemOutrasConexoes(par.ConexaoDestino);

    TRelatorioGravado relatorio;
    TMigracao migracao(relatorio);
    ASSERT_EQ(migracao.Iniciar(par.Origem.Caminho(), par.Destino.Caminho()),
              TResultadoMigracao::Concluida)
        << (relatorio.Abandonos.empty() ? relatorio.Linhas.back() : relatorio.Abandonos[0]);
    EXPECT_TRUE(TMigracao::ChavesEstrangeirasPendentes(par.Destino.Caminho()).empty());
    EXPECT_TRUE(par.ConexaoDestino.EscritaForcada());
    EXPECT_FALSE(TRegistroChavesPendentes(par.ConexaoDestino).Ler().EscritaForcada);

    TParMigracao intacto(TBancoTeste::TConteudo::Aplicacao, "-intacto");
    Preparar(intacto, caso.ScriptOrigem + caso.CorrecaoOrigem,
             caso.ScriptDestino + caso.CorrecaoDestino);
    intacto.Desconectar();
    TRelatorioGravado relatorioIntacto;
    TMigracao migracaoIntacta(relatorioIntacto);
    ASSERT_EQ(migracaoIntacta.Iniciar(intacto.Origem.Caminho(), intacto.Destino.Caminho()),
              TResultadoMigracao::Concluida);

    EXPECT_EQ(Retrato(par.ConexaoDestino), Retrato(intacto.ConexaoDestino));
    EXPECT_EQ(Retrato(par.ConexaoOrigem), Retrato(intacto.ConexaoOrigem));
}
