#include "Aplicacao.h"
#include "BancoTeste.h"
#include "CaixaMensagem.h"
#include "JanelaTeste.h"

#include <QRegularExpression>
#include <QScrollBar>

// Whole Start commands through the window, on real databases of the local server.
class TExecucaoJanelaTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void CompleteRunFillsLogAndBars();
    void FailedRunTurnsTheLogRedAndKeepsTheBars();
    void UnreachableDatabaseGoesToTheGeneralErrorDisplay();
    void CheckListsProblemsInTheLog();

private:
    QStringList FCaixas;
};

namespace {

// Every entry of the log opens with the time of day, " - " and the text.
QStringList Textos(const QStringList& ALinhas)
{
    static const QRegularExpression carimbo(QStringLiteral("^\\S.* - "));
    QStringList textos;
    for (const QString& linha : ALinhas) {
        const auto achado = carimbo.match(linha);
        if (achado.hasMatch())
            textos << linha.mid(achado.capturedLength());
        else
            textos.last() += "\n" + linha;
    }
    return textos;
}

} // namespace

void TExecucaoJanelaTest::init()
{
    FCaixas.clear();
    TCaixaMensagem::DefinirObservador([this](const QString& mensagem) { FCaixas << mensagem; });
}

void TExecucaoJanelaTest::cleanup()
{
    TCaixaMensagem::DefinirObservador(nullptr);
}

void TExecucaoJanelaTest::CompleteRunFillsLogAndBars()
{
    TBancoTeste origem("janela-completa-origem");
    TBancoTeste destino("janela-completa-destino");
    TJanelaTeste f;
    f.Janela.show();
    f.Origem()->setText(QString::fromStdString(origem.Caminho()));
    f.Destino()->setText(QString::fromStdString(destino.Caminho()));
    f.Log()->setPlainText("linha antiga");

    QVERIFY(f.ExecutarIniciar());

    const QStringList textos = Textos(f.LinhasLog());
    QVERIFY2(textos.size() > 20, qPrintable(f.Log()->toPlainText()));
    QCOMPARE(textos.first(), QString("Preenchendo campos do tipo boleano (que estão nulos), na base de origem..."));
    QCOMPARE(textos.last(), QString("Importação concluída."));
    QVERIFY(textos.contains("Importando tabela... EMPRESAS"));
    QVERIFY(textos.contains("Criando gatilhos da replicação..."));
    QVERIFY(!f.LinhasLog().contains("linha antiga"));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    // The newest line is in view.
    QCOMPARE(f.Log()->verticalScrollBar()->value(), f.Log()->verticalScrollBar()->maximum());

    QCOMPARE(f.Total()->Maximo(), 11);
    QCOMPARE(f.Total()->Posicao(), 11);
    QCOMPARE(f.Atual()->Posicao(), f.Atual()->Maximo());
    QVERIFY(f.Iniciar()->isEnabled());
    // Replication triggers of catalogued tables the fixture lacks are refused one by one.
    for (const QString& caixa : FCaixas)
        QVERIFY2(caixa.contains("\r\n"), qPrintable(caixa));
    QTRY_VERIFY(QApplication::overrideCursor() == nullptr);
}

void TExecucaoJanelaTest::FailedRunTurnsTheLogRedAndKeepsTheBars()
{
    TBancoTeste origem("janela-falha-origem");
    TBancoTeste destino("janela-falha-destino");
    destino.ExecutarScript("alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);");
    TJanelaTeste f;
    f.Janela.show();
    f.Origem()->setText(QString::fromStdString(origem.Caminho()));
    f.Destino()->setText(QString::fromStdString(destino.Caminho()));

    QVERIFY(f.ExecutarIniciar());

    const QStringList textos = Textos(f.LinhasLog());
    QVERIFY2(textos.last().startsWith("Ocorreu um erro: \n"), qPrintable(textos.last()));
    QVERIFY2(textos.last().contains("CK_EMPRESAS_ATE_3"), qPrintable(textos.last()));
    QCOMPARE(textos.filter(QRegularExpression("^Importando tabela")).last(), QString("Importando tabela... EMPRESAS"));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(f.Total()->Posicao(), 5);
    QCOMPARE(f.Atual()->Posicao(), 2);
    QVERIFY(f.Atual()->Maximo() > 2);
    QVERIFY(FCaixas.isEmpty());
    QVERIFY(f.Iniciar()->isEnabled());
}

void TExecucaoJanelaTest::UnreachableDatabaseGoesToTheGeneralErrorDisplay()
{
    TJanelaTeste f;
    f.Janela.show();
    f.Origem()->setText("/nao/existe/origem.fdb");
    f.Destino()->setText("/nao/existe/destino.fdb");
    f.Log()->setPlainText("linha da execução anterior");

    QVERIFY(f.ExecutarIniciar());

    QCOMPARE(FCaixas.size(), 1);
    QVERIFY2(FCaixas.first().contains("/nao/existe/origem.fdb"), qPrintable(FCaixas.first()));
    QCOMPARE(f.Log()->toPlainText(), QString("linha da execução anterior"));
    QVERIFY(f.Iniciar()->isEnabled());
}

// "Verificar" runs the check of the pair like a run: its lines in the log, the bars full at the
// end (tables checked), the commands back once it ends, a problem listed.
void TExecucaoJanelaTest::CheckListsProblemsInTheLog()
{
    TBancoTeste origem("janela-verificar-origem");
    TBancoTeste destino("janela-verificar-destino");
    destino.ExecutarScript("create table SO_DESTINO (ID integer);");
    TJanelaTeste f;
    f.Janela.show();
    f.Origem()->setText(QString::fromStdString(origem.Caminho()));
    f.Destino()->setText(QString::fromStdString(destino.Caminho()));
    f.Log()->setPlainText("linha antiga");

    QVERIFY(f.ExecutarVerificar());

    const QStringList textos = Textos(f.LinhasLog());
    QVERIFY(!textos.contains("linha antiga"));
    QVERIFY2(textos.contains("Verificando tabela... PRODUTOS"), qPrintable(f.Log()->toPlainText()));
    QVERIFY(textos.contains("Erro: SO_DESTINO: A tabela SO_DESTINO do DESTINO não existe na ORIGEM."));
    QVERIFY2(textos.last().startsWith("Verificação concluída: "), qPrintable(textos.last()));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    QCOMPARE(f.Total()->Posicao(), f.Total()->Maximo());
    QVERIFY(f.Iniciar()->isEnabled());
    QVERIFY(f.Verificar()->isEnabled());
    QVERIFY(FCaixas.isEmpty());
}

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    TExecucaoJanelaTest teste;
    return QTest::qExec(&teste, argc, argv);
}

#include "ExecucaoJanelaTest.moc"
