#include "Dialog.h"

#include <QApplication>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <utility>

namespace {

TDialog::TResponder& ProximaResposta()
{
    static TDialog::TResponder resposta;
    return resposta;
}

// The operator must be able to use the message at once: no busy pointer over it.
void LiberarPonteiro()
{
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

} // namespace

int TDialog::Mostrar(const TDialogTypeEnum& ADialogType, const QString& AMensagem, bool AFocarBotao,
                     bool AFocarBotaoSim)
{
    LiberarPonteiro();
    auto janela = std::make_unique<TCustomMsgDialog>(nullptr, ADialogType, AMensagem, AFocarBotao, AFocarBotaoSim);
    if (auto responder = std::exchange(ProximaResposta(), nullptr))
        return responder(*janela);
    return janela->exec();
}

void TDialog::Info(const QString& AMensagem, bool AComFocoBotaoOk)
{
    Mostrar(TDialogTypeEnum::dtInfo(), AMensagem, AComFocoBotaoOk, false);
}

void TDialog::Warning(const QString& AMensagem, bool AComFocoBotaoOk)
{
    Mostrar(TDialogTypeEnum::dtWarning(), AMensagem, AComFocoBotaoOk, false);
}

void TDialog::Error(const QString& AMensagem, bool AComFocoBotaoOk)
{
    Mostrar(TDialogTypeEnum::dtError(), AMensagem, AComFocoBotaoOk, false);
}

void TDialog::ErrorAndAbort(const QString& AMensagem, bool AComFocoBotaoOk)
{
    Mostrar(TDialogTypeEnum::dtError(), AMensagem, AComFocoBotaoOk, false);
    throw ESilentAbort();
}

void TDialog::Abort(const QString& AMensagem, bool AComFocoBotaoOk)
{
    Mostrar(TDialogTypeEnum::dtAbort(), AMensagem, AComFocoBotaoOk, false);
    throw ESilentAbort();
}

void TDialog::AbortAndFocus(const QString& AMensagem, QWidget* AControl, bool AComFocoBotaoOk)
{
    if (AControl == nullptr)
        throw std::invalid_argument("AbortAndFocus needs a control");
    if (AControl->isVisible() && AControl->isEnabled())
        AControl->setFocus();
    Abort(AMensagem, AComFocoBotaoOk);
}

bool TDialog::Confirm(const QString& AMensagem, bool AFocarBotaoSim)
{
    return Mostrar(TDialogTypeEnum::dtConfirm(), AMensagem, true, AFocarBotaoSim) == mrYes;
}

void TDialog::DefinirProximaResposta(TResponder AResponder)
{
    ProximaResposta() = std::move(AResponder);
}

void TDialog::DefinirProximaResposta(TModalResult AResposta)
{
    DefinirProximaResposta([AResposta](TCustomMsgDialog&) { return static_cast<int>(AResposta); });
}
