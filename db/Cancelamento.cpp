#include "Cancelamento.h"

#include "Conexao.h"

void TCancelamento::Solicitar() noexcept
{
    std::lock_guard trava(FTrava);
    FSolicitado.store(true);
    for (TConexao* conexao : FConexoes)
        conexao->Interromper();
}

void TCancelamento::Verificar() const
{
    if (Solicitado())
        throw EOperacaoCancelada();
}

// Bound after the request, a connection is interrupted at once: its first statement refuses.
void TCancelamento::Vincular(TConexao& conexao)
{
    std::lock_guard trava(FTrava);
    FConexoes.insert(&conexao);
}

void TCancelamento::Desvincular(TConexao& conexao) noexcept
{
    std::lock_guard trava(FTrava);
    FConexoes.erase(&conexao);
}
