#include "ContagemOrigem.h"

#include "AcompanhamentoMigracao.h"
#include "Conexao.h"
#include "Consulta.h"
#include "NomeSql.h"

TContagemOrigem::TContagemOrigem(const TConexao& origem, std::vector<std::string> tabelas,
                                 TAcompanhamentoMigracao& acompanhamento)
    : FTabelas(std::move(tabelas))
{
    FTarefa = std::async(std::launch::async,
                         [this, perfil = origem.Perfil(), banco = origem.Banco(),
                          &acompanhamento] { Contar(perfil, banco, acompanhamento); });
}

TContagemOrigem::~TContagemOrigem()
{
    FAbandonar.store(true);
    if (FTarefa.valid())
        FTarefa.wait();
}

void TContagemOrigem::Contar(const TPerfilConexao& perfil, const std::string& banco,
                             TAcompanhamentoMigracao& acompanhamento)
{
    TConexao conexao(perfil);
    conexao.DefinirBanco(banco);
    std::int64_t total = 0;
    for (const std::string& tabela : FTabelas) {
        if (FAbandonar.load())
            return;
        TConsulta contagem(&conexao, "select count(*) from " + NomeSql(tabela));
        contagem.Abrir();
        const std::int64_t linhas = contagem.Campo(0).ComoInteiro64();
        {
            std::lock_guard trava(FTrava);
            FLinhas[tabela] = linhas;
        }
        total += linhas;
    }
    acompanhamento.DefinirLinhasTotais(total);
}

std::int64_t TContagemOrigem::Linhas(const std::string& tabela) const
{
    std::lock_guard trava(FTrava);
    const auto contada = FLinhas.find(tabela);
    return contada == FLinhas.end() ? -1 : contada->second;
}

void TContagemOrigem::Concluir()
{
    if (FTarefa.valid())
        FTarefa.get();
}
