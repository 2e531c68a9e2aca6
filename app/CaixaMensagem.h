#pragma once

#include <QString>

#include <functional>

// The plain modal message box of the platform, apart from the message service: the
// application's title, the message and one OK button, centred on the screen. It carries the
// failures of single replication triggers and the application's general error display.
class TCaixaMensagem {
public:
    TCaixaMensagem() = delete;

    static void Mostrar(const QString& AMensagem);
    // The same box with the error icon.
    static void MostrarErro(const QString& AMensagem);

    // Test hook: while an observer is set, no box is shown; each box's message goes to the
    // observer instead (a run may show dozens). nullptr shows boxes again.
    using TObservador = std::function<void(const QString&)>;
    static void DefinirObservador(TObservador AObservador);

    static QString TituloAplicacao();
};
