#pragma once

#include "DialogTypeEnum.h"

#include <QDialog>
#include <QMargins>
#include <QString>

class QKeyEvent;
class QPushButton;

// The modal window of one message: on white, the type's icon at the top left and, to its
// right, a bold title and the message wrapped to the window's width; below, a grey bar with
// "&Ok", or "&Sim" and "&Não", at its right end. Every control is placed in code; the height,
// frame included, follows the message, between 200 pixels and the usable height of the screen.
class TCustomMsgDialog : public QDialog {
    Q_OBJECT

public:
    // AFocarBotao: the buttons take the keyboard focus (else only Esc or a click close the
    // window). AFocarBotaoSim: in a confirmation, "&Sim" rather than "&Não" has the focus.
    TCustomMsgDialog(QWidget* AOwner, const TDialogTypeEnum& ADialogType, const QString& AMensagem,
                     bool AFocarBotao, bool AFocarBotaoSim);

    const TDialogTypeEnum& DialogType() const noexcept { return FDialogType; }
    const QString& Titulo() const noexcept { return FTitulo; }
    const QString& Mensagem() const noexcept { return FMensagem; }

    // The close box and the system menu answer "cancel".
    void reject() override;

protected:
    bool event(QEvent* AEvento) override;
    void keyPressEvent(QKeyEvent* AEvento) override;

private:
    void CriarComponentes();
    void AjustarAltura();
    void CriarBotoes(QWidget* ABarra);
    QPushButton* CriarBotao(QWidget* ABarra, const QString& ACaption, void (TCustomMsgDialog::*AClick)());
    void BotaoOkClick();
    void BotaoSimClick();
    void BotaoNaoClick();
    void FormKeyDown(const QKeyEvent& AEvento);
    void Posicionar(QWidget* AOwner);

    const TDialogTypeEnum& FDialogType;
    QString FTitulo;
    QString FMensagem;
    bool FFocarBotao;
    bool FFocarBotaoSim;
    // The button that Esc clicks; none in a confirmation whose buttons take no focus.
    QPushButton* FBotaoCancelar = nullptr;
    // The height the icon, the title, the message and the button bar ask for, and the frame
    // the window's height was last worked out with.
    int FAlturaConteudo = 0;
    QMargins FMoldura;
};
