#pragma once

#include <QObject>
#include <QString>

// The picker of a database file: Qt's own dialog, built anew for every choice so that nothing
// of the last one (its selection, its name) is offered again; with everything it shows in
// Portuguese (Qt's translations give the buttons and headers; the type and date columns follow
// here), a file gone by the time it is confirmed reported through the message service, and no
// completer list left over the window once it closes.
class TSeletorArquivo : public QObject {
    Q_OBJECT

public:
    explicit TSeletorArquivo(QWidget* AJanela);

    // Opens on the box's own file when it has one, otherwise in the folder of the file chosen
    // last with an empty name, so that Enter never picks another box's file. Empty when the
    // operator cancelled.
    QString Escolher(const QString& ATitulo, const QString& AAtual);

private:
    QWidget* FJanela;
    QString FPastaUltima;
};
