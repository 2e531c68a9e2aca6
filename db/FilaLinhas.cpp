#include "FilaLinhas.h"

bool TFilaLinhas::Colocar(TItemFila item)
{
    std::unique_lock trava(FTrava);
    const std::size_t tamanho = item.Tamanho();
    // An item larger than the limit still passes when the queue is empty.
    FMudou.wait(trava, [&] { return FAbandonada || FItens.empty() || FBytes + tamanho <= FLimite; });
    if (FAbandonada)
        return false;
    FBytes += tamanho;
    FItens.push_back(std::move(item));
    FMudou.notify_all();
    return true;
}

TItemFila TFilaLinhas::Retirar()
{
    std::unique_lock trava(FTrava);
    FMudou.wait(trava, [&] { return !FItens.empty(); });
    TItemFila item = std::move(FItens.front());
    FItens.pop_front();
    FBytes -= item.Tamanho();
    FMudou.notify_all();
    return item;
}

void TFilaLinhas::Abandonar()
{
    std::lock_guard trava(FTrava);
    FAbandonada = true;
    FItens.clear();
    FBytes = 0;
    FMudou.notify_all();
}
