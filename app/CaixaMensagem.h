#pragma once

#include <QString>

#include <functional>

class QWidget;

// The plain modal boxes apart from the message service, under the application's title: the
// application's general error display and the failures of single replication triggers.
class TCaixaMensagem {
public:
    TCaixaMensagem() = delete;

    // The message service's error window with the message (the application's general error
    // display).
    static void MostrarErro(const QString& AMensagem);
    // A replication trigger the server refused (TCaixaComando), over AJanela.
    static void MostrarFalhaGatilho(const QString& AMensagem, QWidget* AJanela);
    // A message that ends in statements to read or copy (TCaixaComando), over AJanela.
    static void MostrarComandos(const QString& ACabecalho, const QString& AComandos,
                                QWidget* AJanela);

    // Test hook: while an observer is set, no box is shown; each box's message goes to the
    // observer instead (a run may show dozens). nullptr shows boxes again.
    using TObservador = std::function<void(const QString&)>;
    static void DefinirObservador(TObservador AObservador);

    static QString TituloAplicacao();
};
