#pragma once

#include <QApplication>
#include <QTranslator>

#include <exception>

// The application object. Every failure that leaves an event handler ends up in notify,
// which hands it to the general error display instead of letting it end the process.
class TAplicacao : public QApplication {
    Q_OBJECT

public:
    TAplicacao(int& argc, char** argv);

    bool notify(QObject* AReceptor, QEvent* AEvento) override;

    // The general error display: ESilentAbort passes without a word (its message was already
    // shown); any other failure's message appears in a message box.
    static void ExibirErro(std::exception_ptr AErro);

private:
    // Qt's own texts (the file picker, the log's context menu, ...) in Brazilian Portuguese,
    // like everything else the operator sees.
    void CarregarTraducoes();

    QTranslator FTraducaoQt;
};
