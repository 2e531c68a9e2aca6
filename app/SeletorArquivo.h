#pragma once

#include <QFileDialog>

// The picker of a database file: Qt's own dialog, with everything it shows in Portuguese
// (Qt's translations give the buttons and headers; the type and date columns follow here), a
// file gone by the time it is confirmed reported through the message service, and no
// completer list left over the window once it closes.
class TSeletorArquivo : public QFileDialog {
    Q_OBJECT

public:
    explicit TSeletorArquivo(QWidget* AParent);

    // Opens on the box's own file when it has one, otherwise in the folder of the file chosen
    // last with an empty name, so that Enter never picks another box's file. Empty when the
    // operator cancelled.
    QString Escolher(const QString& ATitulo, const QString& AAtual);

protected:
    void accept() override;

private:
    QString FPastaUltima;
};
