#include "MenuLog.h"

#include "CaixaMensagem.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSaveFile>

TMenuLog::TMenuLog(QPlainTextEdit* ALog) : QObject(ALog), FLog(ALog)
{
    FLog->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FLog, &QWidget::customContextMenuRequested, this, [this](const QPoint& APosicao) {
        QMenu* menu = CriarMenu();
        menu->exec(FLog->viewport()->mapToGlobal(APosicao));
        delete menu;
    });
}

QMenu* TMenuLog::CriarMenu()
{
    QMenu* menu = FLog->createStandardContextMenu();
    menu->addSeparator();
    QAction* salvar = menu->addAction(QString::fromUtf8(TextoSalvar));
    salvar->setObjectName(QStringLiteral("actSalvarLog"));
    salvar->setEnabled(!FLog->document()->isEmpty());
    connect(salvar, &QAction::triggered, this, &TMenuLog::Salvar);
    return menu;
}

QString TMenuLog::Gravar(const QPlainTextEdit* ALog, const QString& ACaminho)
{
    // Written aside and put in place at the end: a failure never leaves half a log over a
    // file the operator had.
    QSaveFile arquivo(ACaminho);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Text))
        return arquivo.errorString();
    arquivo.write(ALog->toPlainText().toUtf8() + '\n');
    if (!arquivo.commit())
        return arquivo.errorString();
    return {};
}

void TMenuLog::Salvar()
{
    QWidget* janela = FLog->window();
    const QString caminho = QFileDialog::getSaveFileName(
        janela, QStringLiteral("Salvar log"), QDir::home().filePath(QStringLiteral("log.txt")),
        QStringLiteral("Arquivos de texto (*.txt *.log);;Todos os arquivos (*)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (caminho.isEmpty())
        return;
    const QString falha = Gravar(FLog, caminho);
    if (!falha.isEmpty())
        TCaixaMensagem::MostrarErro(QStringLiteral("O log não pôde ser salvo em %1: %2")
                                        .arg(QDir::toNativeSeparators(caminho), falha));
}
