#pragma once

#include <QDialog>
#include <QMargins>
#include <QString>

#include <memory>

// A box for a message that ends in long statements: the head (for a refused replication
// trigger, its table and the server's error) stands at the top, always in view; the statements
// (the trigger's, some 85 lines long) go below in a read-only area that scrolls and from which
// they can be selected and copied; "OK" closes the box. The box fits the usable area of its
// screen, frame included, so its button is in reach.
class TCaixaComando : public QDialog {
    Q_OBJECT

public:
    // Without statements the box shows the head alone.
    TCaixaComando(const QString& ACabecalho, const QString& AComando, QWidget* AParent = nullptr);

    // A refused trigger's message as the run reports it (the table, CR LF, the error, CR LF,
    // the statement), split into the head and the statement.
    static std::unique_ptr<TCaixaComando> DeFalhaGatilho(const QString& AMensagem, QWidget* AParent = nullptr);

    // The head and the statements, as the box shows them.
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
