#pragma once

#include <QProgressBar>

// A progress bar driven by position and maximum (minimum always 0). Its position never
// passes its maximum, and a maximum of 0 shows an empty bar, where Qt's own bar would show
// its busy animation.
class TBarraProgresso : public QProgressBar {
    Q_OBJECT

public:
    explicit TBarraProgresso(QWidget* AParent = nullptr);

    void DefinirMaximo(int AMaximo);
    void DefinirPosicao(int APosicao);
    // A line of text over the bar, such as the rows a table copy has written so far; the next
    // change of position or maximum takes it away, and so does an empty text.
    void MostrarTexto(const QString& ATexto);
    int Maximo() const noexcept { return FMaximo; }
    int Posicao() const noexcept { return FPosicao; }

private:
    void Mostrar();

    int FMaximo = 100;
    int FPosicao = 0;
};
