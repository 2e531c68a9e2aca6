#include "Ancoras.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {

// One axis: returns the new start and length of a control given how much the container grew.
std::pair<int, int> Ajustar(int AInicio, int AComprimento, int ACrescimo, bool AInicial, bool AFinal)
{
    if (AInicial && AFinal)
        return {AInicio, std::max(0, AComprimento + ACrescimo)};
    if (AFinal)
        return {AInicio + ACrescimo, AComprimento};
    return {AInicio, AComprimento};
}

} // namespace

TAncoras::TAncoras(QWidget* AContainer, QSize ATamanhoProjeto)
    : QObject(AContainer), FContainer(AContainer), FTamanhoProjeto(ATamanhoProjeto)
{
    FContainer->installEventFilter(this);
}

void TAncoras::Adicionar(QWidget* AControle, const QRect& AGeometria, int AAncoras)
{
    FItens.push_back({AControle, AGeometria, AAncoras});
    Aplicar(FItens.back(), FContainer->size());
}

bool TAncoras::eventFilter(QObject* AObjeto, QEvent* AEvento)
{
    if (AObjeto == FContainer && AEvento->type() == QEvent::Resize)
        for (const TItem& item : FItens)
            Aplicar(item, FContainer->size());
    return QObject::eventFilter(AObjeto, AEvento);
}

void TAncoras::Aplicar(const TItem& AItem, QSize ATamanho) const
{
    const auto [x, largura] = Ajustar(AItem.Geometria.x(), AItem.Geometria.width(),
                                      ATamanho.width() - FTamanhoProjeto.width(), (AItem.Ancoras & akLeft) != 0,
                                      (AItem.Ancoras & akRight) != 0);
    const auto [y, altura] = Ajustar(AItem.Geometria.y(), AItem.Geometria.height(),
                                     ATamanho.height() - FTamanhoProjeto.height(), (AItem.Ancoras & akTop) != 0,
                                     (AItem.Ancoras & akBottom) != 0);
    AItem.Controle->setGeometry(x, y, largura, altura);
}
