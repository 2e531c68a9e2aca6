#pragma once

#include <QObject>
#include <QString>

class QMenu;
class QPlainTextEdit;

// The log's context menu: Qt's own entries (copy, select all), in Portuguese, and "Salvar
// log...", which writes the log as shown to a file the operator picks. A log that cannot be
// saved is told through the message service.
class TMenuLog : public QObject {
    Q_OBJECT

public:
    explicit TMenuLog(QPlainTextEdit* ALog);

    // The menu as the log opens it; the caller owns it.
    QMenu* CriarMenu();
    // Writes the log's text, one line per display line; empty when it was saved, else why not.
    static QString Gravar(const QPlainTextEdit* ALog, const QString& ACaminho);

    static constexpr const char* TextoSalvar = "Salvar log...";

private:
    void Salvar();

    QPlainTextEdit* FLog;
};
