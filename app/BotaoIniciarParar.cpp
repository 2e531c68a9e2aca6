#include "BotaoIniciarParar.h"

#include <QPushButton>

TBotaoIniciarParar::TBotaoIniciarParar(QPushButton* ABotao, std::function<void()> AIniciar,
                                       std::function<void()> AParar)
    : QObject(ABotao), FBotao(ABotao), FIniciar(std::move(AIniciar)), FParar(std::move(AParar))
{
    connect(FBotao, &QPushButton::clicked, this, &TBotaoIniciarParar::Clicar);
}

void TBotaoIniciarParar::DefinirEmExecucao(bool AEmExecucao)
{
    FEmExecucao = AEmExecucao;
    FBotao->setText(AEmExecucao ? QStringLiteral("Parar") : QStringLiteral("Iniciar"));
    FBotao->setEnabled(true);
}

void TBotaoIniciarParar::Clicar()
{
    if (!FEmExecucao) {
        FIniciar();
        return;
    }
    FBotao->setText(QStringLiteral("Parando..."));
    FBotao->setEnabled(false);
    FParar();
}
