#pragma once

#include <QObject>
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Keeps child controls at fixed distances from the edges of their container they are
// anchored to, measured on the container's designed size: anchored left and right a control
// stretches with the width, anchored only right it moves with the right edge; the same for top
// and bottom.
class TAncoras : public QObject {
    Q_OBJECT

public:
    enum TAncora { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

    TAncoras(QWidget* AContainer, QSize ATamanhoProjeto);

    // Places AControle at AGeometria (on the designed size) and keeps it anchored from now on.
    void Adicionar(QWidget* AControle, const QRect& AGeometria, int AAncoras);

protected:
    bool eventFilter(QObject* AObjeto, QEvent* AEvento) override;

private:
    struct TItem {
        QWidget* Controle;
        QRect Geometria;
        int Ancoras;
    };

    void Aplicar(const TItem& AItem, QSize ATamanho) const;

    QWidget* FContainer;
    QSize FTamanhoProjeto;
    std::vector<TItem> FItens;
};
