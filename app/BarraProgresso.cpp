#include "BarraProgresso.h"

#include <algorithm>

TBarraProgresso::TBarraProgresso(QWidget* AParent) : QProgressBar(AParent)
{
    setTextVisible(false);
    Mostrar();
}

void TBarraProgresso::DefinirMaximo(int AMaximo)
{
    FMaximo = std::max(0, AMaximo);
    FPosicao = std::min(FPosicao, FMaximo);
    Mostrar();
}

void TBarraProgresso::DefinirPosicao(int APosicao)
{
    FPosicao = std::clamp(APosicao, 0, FMaximo);
    Mostrar();
}

void TBarraProgresso::MostrarTexto(const QString& ATexto)
{
    setFormat(ATexto);
    setTextVisible(!ATexto.isEmpty());
}

void TBarraProgresso::Mostrar()
{
    setTextVisible(false);
    setRange(0, std::max(FMaximo, 1));
    setValue(FPosicao);
}
