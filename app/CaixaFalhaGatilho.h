#pragma once

#include <QDialog>
#include <QMargins>
#include <QString>

// The box of one replication trigger that the server refused. The table and the server's error
// stand at the top, always in view; the trigger's statement, some 85 lines long, goes below in
// a read-only area that scrolls and from which it can be selected and copied; "OK" closes the
// box. The box fits the usable area of its screen, frame included, so its button is in reach.
class TCaixaFalhaGatilho : public QDialog {
    Q_OBJECT

public:
    // AMensagem as the run reports it: the table, CR LF, the error, CR LF, the statement.
    explicit TCaixaFalhaGatilho(const QString& AMensagem, QWidget* AParent = nullptr);

    // The message's head (table and error) and its statement, as the box shows them. A message
    // without a statement has all of it in the head.
    const QString& Cabecalho() const noexcept { return FCabecalho; }
    const QString& Comando() const noexcept { return FComando; }

protected:
    bool event(QEvent* AEvento) override;

private:
    void Caber();

    QString FCabecalho;
    QString FComando;
    // The frame the size was last fitted with; the window manager's own is known only once the
    // box is shown.
    QMargins FMoldura;
};
