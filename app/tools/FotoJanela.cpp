// Takes the pictures of the documentation: runs a migration through the real main window, in
// the Carbon style, on the two database files given, and saves the window once the run has
// ended; then presses "Iniciar" without a source file and saves the message window that
// refuses it. Used by scripts/screenshot under a virtual display.
//
//   vorel-foto-janela ORIGEM.fdb DESTINO.fdb JANELA.png MENSAGEM.png

#include "Aplicacao.h"
#include "CaixaMensagem.h"
#include "Dialog.h"
#include "EstiloVisual.h"
#include "frmPrincipal.h"

#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <cstdio>
#include <exception>

namespace {

void Gravar(QWidget& AJanela, const QString& AArquivo)
{
    if (!AJanela.grab().save(AArquivo, "png"))
        throw std::runtime_error("cannot write " + AArquivo.toStdString());
    std::printf("%s\n", qPrintable(AArquivo));
}

} // namespace

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SOURCE.fdb DESTINATION.fdb WINDOW.png MESSAGE.png\n", argv[0]);
        return 2;
    }
    const QStringList argumentos = QCoreApplication::arguments();
    try {
        TEstiloVisual::Aplicar(aplicacao, QStringLiteral("Carbon"));

        int caixas = 0;
        TCaixaMensagem::DefinirObservador([&caixas](const QString&) { ++caixas; });

        TfrmPrincipal janela;
        janela.resize(1100, 720);
        janela.show();
        auto* origem = janela.findChild<QLineEdit*>(QStringLiteral("edtArquivoOrigem"));
        auto* destino = janela.findChild<QLineEdit*>(QStringLiteral("edtArquivoDestino"));
        auto* iniciar = janela.findChild<QPushButton*>(QStringLiteral("btnIniciar"));
        origem->setText(argumentos[1]);
        destino->setText(argumentos[2]);

        int execucoes = 0;
        QObject::connect(&janela, &TfrmPrincipal::ExecucaoTerminada, [&] {
            if (++execucoes == 1) {
                Gravar(janela, argumentos[3]);
                std::printf("replication trigger messages: %d\n", caixas);
                origem->clear();
                TDialog::DefinirProximaResposta([&](TCustomMsgDialog& mensagem) {
                    mensagem.show();
                    Gravar(mensagem, argumentos[4]);
                    return int(mrOk);
                });
                iniciar->click();
            } else {
                aplicacao.quit();
            }
        });
        iniciar->click();
        return aplicacao.exec();
    } catch (const std::exception& erro) {
        std::fprintf(stderr, "%s\n", erro.what());
        return 1;
    }
}
