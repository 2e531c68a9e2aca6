#pragma once

#include <QObject>

#include <functional>

class QPushButton;

// The Start button doubles as the stop of the command under way: "Parar" while a run or a
// check goes on, "Parando..." (disabled) once the stop was asked for and the engine is on its
// way to its next safe point, "Iniciar" again when the command has ended.
class TBotaoIniciarParar : public QObject {
    Q_OBJECT

public:
    TBotaoIniciarParar(QPushButton* ABotao, std::function<void()> AIniciar,
                       std::function<void()> AParar);

    void DefinirEmExecucao(bool AEmExecucao);
    bool EmExecucao() const noexcept { return FEmExecucao; }

private:
    void Clicar();

    QPushButton* FBotao;
    std::function<void()> FIniciar;
    std::function<void()> FParar;
    bool FEmExecucao = false;
};
