#pragma once

#include "CustomMsgDialog.h"
#include "DialogTypeEnum.h"
#include "ModalResult.h"
#include "SilentAbort.h"

#include <QString>

#include <functional>

class QWidget;

// The one way the tool speaks to the operator in a modal message. Each operation shows a
// TCustomMsgDialog and waits until it is closed; the abort operations then end the current
// command with ESilentAbort, which must not be caught by code that reports failures.
// User-interface thread only.
class TDialog {
public:
    TDialog() = delete;

    // AComFocoBotaoOk: "&Ok" takes the focus, so Enter, Space, Esc or a click close the
    // window; without it only Esc or a click do, and the caption says " (ESC)".
    static void Info(const QString& AMensagem, bool AComFocoBotaoOk);
    static void Warning(const QString& AMensagem, bool AComFocoBotaoOk);
    static void Error(const QString& AMensagem, bool AComFocoBotaoOk);
    [[noreturn]] static void ErrorAndAbort(const QString& AMensagem, bool AComFocoBotaoOk);
    [[noreturn]] static void Abort(const QString& AMensagem, bool AComFocoBotaoOk);
    // Gives AControl the focus first, when it can take it, so the focus is back there once the
    // message is closed.
    [[noreturn]] static void AbortAndFocus(const QString& AMensagem, QWidget* AControl, bool AComFocoBotaoOk);
    // True only when the operator answered "&Sim"; Esc and the close box answer no.
    static bool Confirm(const QString& AMensagem, bool AFocarBotaoSim);

    // Test hook: the next message window is built as usual but, instead of being shown, is
    // handed to AResponder, whose result is taken as the window's modal result. Applies to
    // one window only.
    using TResponder = std::function<int(TCustomMsgDialog&)>;
    static void DefinirProximaResposta(TResponder AResponder);
    static void DefinirProximaResposta(TModalResult AResposta);

private:
    static int Mostrar(const TDialogTypeEnum& ADialogType, const QString& AMensagem, bool AFocarBotao,
                       bool AFocarBotaoSim);
};
