#include "Aplicacao.h"
#include "BarraProgresso.h"
#include "CaixaMensagem.h"
#include "Dialog.h"
#include "EstiloVisual.h"
#include "ObservadorOcupado.h"
#include "PonteiroOcupado.h"

#include <QStyle>
#include <QThread>
#include <QtTest>

#include <stdexcept>

// The window's building blocks: its progress bars, the busy pointer, the visual style and the
// application's general error display.
class TComponentesJanelaTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void BarNeverPassesItsMaximumAndShowsZeroAsEmpty_data();
    void BarNeverPassesItsMaximumAndShowsZeroAsEmpty();
    void CopyProgressShowsOnTheBarUntilItMoves();
    void BusyPointerFollowsDatabaseWorkFromAnyThread();
    void AMessageTakesTheBusyPointerAway();
    void CarbonStyleIsBuiltIn();
    void AMissingStyleFailsAndLeavesTheLookAlone();
    void ErrorsLeavingAnEventHandlerAreShownUnlessSilent_data();
    void ErrorsLeavingAnEventHandlerAreShownUnlessSilent();
};

void TComponentesJanelaTest::cleanup()
{
    TCaixaMensagem::DefinirObservador(nullptr);
    TDialog::DefinirProximaResposta(TDialog::TResponder());
}

void TComponentesJanelaTest::BarNeverPassesItsMaximumAndShowsZeroAsEmpty_data()
{
    QTest::addColumn<int>("maximo");
    QTest::addColumn<int>("posicao");
    QTest::addColumn<int>("posicaoVista");
    QTest::addColumn<int>("maximoQt");
    QTest::newRow("inside") << 11 << 5 << 5 << 11;
    QTest::newRow("past the maximum") << 11 << 12 << 11 << 11;
    QTest::newRow("negative") << 3 << -1 << 0 << 3;
    QTest::newRow("maximum zero") << 0 << 1 << 0 << 1;
}

void TComponentesJanelaTest::BarNeverPassesItsMaximumAndShowsZeroAsEmpty()
{
    QFETCH(int, maximo);
    QFETCH(int, posicao);
    QFETCH(int, posicaoVista);
    QFETCH(int, maximoQt);
    TBarraProgresso barra;
    barra.DefinirMaximo(maximo);
    barra.DefinirPosicao(posicao);
    QCOMPARE(barra.Maximo(), maximo);
    QCOMPARE(barra.Posicao(), posicaoVista);
    // Qt's bar turns into a busy animation when its minimum and maximum are both 0.
    QCOMPARE(barra.maximum(), maximoQt);
    QCOMPARE(barra.value(), posicaoVista);
    QVERIFY(!barra.isTextVisible());
}

void TComponentesJanelaTest::CopyProgressShowsOnTheBarUntilItMoves()
{
    TBarraProgresso barra;
    barra.DefinirMaximo(3);
    barra.MostrarTexto("PEDIDOS: 20000 linhas, 45000 linhas/s");
    QVERIFY(barra.isTextVisible());
    QCOMPARE(barra.text(), QString("PEDIDOS: 20000 linhas, 45000 linhas/s"));
    barra.DefinirPosicao(1);
    QVERIFY(!barra.isTextVisible());
}

void TComponentesJanelaTest::BusyPointerFollowsDatabaseWorkFromAnyThread()
{
    TPonteiroOcupado ponteiro;
    std::unique_ptr<QThread> trabalho(QThread::create([] {
        TTrabalhoBanco externo;
        TTrabalhoBanco interno;
    }));
    trabalho->start();
    QVERIFY(trabalho->wait());
    QCoreApplication::processEvents();
    QVERIFY(ponteiro.Mostrando());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTRY_VERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!ponteiro.Mostrando());
}

void TComponentesJanelaTest::AMessageTakesTheBusyPointerAway()
{
    TPonteiroOcupado ponteiro;
    {
        TTrabalhoBanco trabalho;
        QVERIFY(QApplication::overrideCursor() != nullptr);
        bool semPonteiro = false;
        TCaixaMensagem::DefinirObservador([&](const QString&) {
            semPonteiro = QApplication::overrideCursor() == nullptr;
        });
        TCaixaMensagem::MostrarFalhaGatilho("PRODUTOS\r\nFalha no gatilho", nullptr);
        QVERIFY(semPonteiro);
    }
    QTRY_VERIFY(!ponteiro.Mostrando());
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TComponentesJanelaTest::CarbonStyleIsBuiltIn()
{
    auto& aplicacao = *qobject_cast<QApplication*>(QCoreApplication::instance());
    TEstiloVisual::Aplicar(aplicacao, "Carbon");
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor("#2b2e33"));
    QVERIFY(aplicacao.styleSheet().contains("QPushButton"));
}

void TComponentesJanelaTest::AMissingStyleFailsAndLeavesTheLookAlone()
{
    auto& aplicacao = *qobject_cast<QApplication*>(QCoreApplication::instance());
    const QString folha = aplicacao.styleSheet();
    const QColor janela = QApplication::palette().color(QPalette::Window);
    try {
        TEstiloVisual::Aplicar(aplicacao, "Inexistente");
        QFAIL("no failure");
    } catch (const std::runtime_error& erro) {
        QVERIFY2(QString::fromUtf8(erro.what()).startsWith("Não foi possível aplicar o estilo visual \"Inexistente\""),
                 erro.what());
    }
    QCOMPARE(aplicacao.styleSheet(), folha);
    QCOMPARE(QApplication::palette().color(QPalette::Window), janela);
}

namespace {

// An object whose handler fails with the exception it was given.
class TFalhaNoEvento : public QObject {
public:
    explicit TFalhaNoEvento(std::function<void()> AFalha) : FFalha(std::move(AFalha)) {}
    bool event(QEvent* AEvento) override
    {
        if (AEvento->type() == QEvent::User)
            FFalha();
        return QObject::event(AEvento);
    }

private:
    std::function<void()> FFalha;
};

} // namespace

void TComponentesJanelaTest::ErrorsLeavingAnEventHandlerAreShownUnlessSilent_data()
{
    QTest::addColumn<std::function<void()>>("falha");
    QTest::addColumn<QStringList>("caixas");
    QTest::newRow("failure") << std::function<void()>([] { throw std::runtime_error("Arquivo não encontrado"); })
                             << QStringList{"Arquivo não encontrado"};
    QTest::newRow("silent abort") << std::function<void()>([] { throw ESilentAbort(); }) << QStringList{};
    QTest::newRow("message service abort") << std::function<void()>([] {
        TDialog::DefinirProximaResposta(mrOk);
        TDialog::Abort("Banco de dados de ORIGEM não foi informado.", true);
    }) << QStringList{};
}

void TComponentesJanelaTest::ErrorsLeavingAnEventHandlerAreShownUnlessSilent()
{
    QFETCH(std::function<void()>, falha);
    QFETCH(QStringList, caixas);
    QStringList vistas;
    TCaixaMensagem::DefinirObservador([&](const QString& mensagem) { vistas << mensagem; });
    TFalhaNoEvento objeto(falha);
    QCoreApplication::postEvent(&objeto, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&objeto, QEvent::User);
    QCOMPARE(vistas, caixas);
}

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    TComponentesJanelaTest teste;
    return QTest::qExec(&teste, argc, argv);
}

#include "ComponentesJanelaTest.moc"
