#include "MenuLog.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The log's context menu keeps Qt's own entries and adds the saving of the log as shown.
class TMenuLogTest : public QObject {
    Q_OBJECT

private slots:
    void MenuOffersSavingOnlyAnUnemptyLog();
    void SavedFileHoldsEveryDisplayLine();
    void AFolderThatCannotTakeTheFileIsTold();
};

void TMenuLogTest::MenuOffersSavingOnlyAnUnemptyLog()
{
    QPlainTextEdit log;
    TMenuLog menuLog(&log);
    QCOMPARE(log.contextMenuPolicy(), Qt::CustomContextMenu);
    for (const bool comTexto : {false, true}) {
        if (comTexto)
            log.appendPlainText(QStringLiteral("10:00:00 - Importação concluída."));
        std::unique_ptr<QMenu> menu(menuLog.CriarMenu());
        auto* salvar = menu->findChild<QAction*>(QStringLiteral("actSalvarLog"));
        QVERIFY(salvar);
        QCOMPARE(salvar->text(), QString::fromUtf8(TMenuLog::TextoSalvar));
        QCOMPARE(salvar->isEnabled(), comTexto);
        QVERIFY(menu->actions().size() > 2); // Qt's own entries come first
    }
}

void TMenuLogTest::SavedFileHoldsEveryDisplayLine()
{
    QTemporaryDir pasta;
    QPlainTextEdit log;
    log.appendPlainText(QStringLiteral("10:00:00 - Ocorreu um erro: \nSão Paulo"));
    log.appendPlainText(QStringLiteral("10:00:01 - Log gravado em /tmp/x.log."));
    const QString caminho = pasta.filePath(QStringLiteral("log.txt"));
    QCOMPARE(TMenuLog::Gravar(&log, caminho), QString());
    QFile arquivo(caminho);
    QVERIFY(arquivo.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(arquivo.readAll()),
             QStringLiteral("10:00:00 - Ocorreu um erro: \nSão Paulo\n"
                            "10:00:01 - Log gravado em /tmp/x.log.\n"));
}

void TMenuLogTest::AFolderThatCannotTakeTheFileIsTold()
{
    QTemporaryDir pasta;
    QPlainTextEdit log;
    log.appendPlainText(QStringLiteral("linha"));
    QVERIFY(!TMenuLog::Gravar(&log, pasta.filePath(QStringLiteral("falta/log.txt"))).isEmpty());
}

QTEST_MAIN(TMenuLogTest)
#include "MenuLogTest.moc"
