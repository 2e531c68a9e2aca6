#pragma once

#include "BarraProgresso.h"
#include "Dialog.h"
#include "frmPrincipal.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// Reaches the window's controls by their object names, as an operator sees them.
struct TJanelaTeste {
    TfrmPrincipal Janela;

    template <typename T = QWidget>
    T* Controle(const char* ANome) const
    {
        auto* controle = Janela.findChild<T*>(QString::fromLatin1(ANome));
        if (controle == nullptr)
            qFatal("no control %s", ANome);
        return controle;
    }

    QLineEdit* Origem() const { return Controle<QLineEdit>("edtArquivoOrigem"); }
    QLineEdit* Destino() const { return Controle<QLineEdit>("edtArquivoDestino"); }
    QPushButton* Iniciar() const { return Controle<QPushButton>("btnIniciar"); }
    QPushButton* Verificar() const { return Controle<QPushButton>("btnVerificar"); }
    QPlainTextEdit* Log() const { return Controle<QPlainTextEdit>("memInfo"); }
    TBarraProgresso* Total() const { return Controle<TBarraProgresso>("pgbTotal"); }
    TBarraProgresso* Atual() const { return Controle<TBarraProgresso>("pgbAtual"); }
    QAction* BotaoPasta(const char* AEdit) const
    {
        return Controle<QLineEdit>(AEdit)->findChild<QAction*>(QString::fromLatin1(AEdit) + "RightButton");
    }
    QStringList LinhasLog() const { return Log()->toPlainText().split('\n'); }

    // Clicks "Iniciar" (or "Verificar") and returns once the command has ended, whatever it
    // showed meanwhile. "Iniciar" on two files first asks whether to go on: yes.
    bool ExecutarIniciar()
    {
        ConfirmarImportacao();
        return Executar(Iniciar());
    }
    void ConfirmarImportacao() const
    {
        if (!Origem()->text().isEmpty() && !Destino()->text().isEmpty() &&
            Origem()->text() != Destino()->text())
            TDialog::DefinirProximaResposta(TModalResult::mrYes);
    }
    bool ExecutarVerificar() { return Executar(Verificar()); }
    bool Executar(QPushButton* ABotao)
    {
        QSignalSpy fim(&Janela, &TfrmPrincipal::ExecucaoTerminada);
        QTest::mouseClick(ABotao, Qt::LeftButton);
        return fim.count() == 1 || fim.wait(300000);
    }
};
