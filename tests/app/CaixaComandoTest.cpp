#include "Aplicacao.h"
#include "CaixaComando.h"
#include "CaixaMensagem.h"
#include "CustomMsgDialog.h"
#include "Dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QtTest>

// The box of a refused replication trigger on a small screen (1024 x 600, framed windows).
class TCaixaComandoTest : public QObject {
    Q_OBJECT

private slots:
    void BoxFitsTheScreenWithTableErrorAndStatement_data();
    void BoxFitsTheScreenWithTableErrorAndStatement();
    void EnterClosesTheShownBox();
    void BoxesLeaveRoomOnTheSmallScreen_data();
    void BoxesLeaveRoomOnTheSmallScreen();
};

namespace {

// A trigger statement of the usual length, with CR LF line breaks.
QString Comando()
{
    QStringList linhas{"CREATE OR ALTER TRIGGER PRODUTOS_RPL FOR PRODUTOS", "ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 0",
                       "AS", "BEGIN"};
    for (int i = 0; i < 80; ++i)
        linhas << QString("  IF (NEW.CAMPO_%1 IS DISTINCT FROM OLD.CAMPO_%1) THEN ALTERADO = 'S';").arg(i);
    linhas << "END";
    return linhas.join("\r\n");
}

} // namespace

void TCaixaComandoTest::BoxFitsTheScreenWithTableErrorAndStatement_data()
{
    QTest::addColumn<QString>("cabecalho");
    QTest::addColumn<QString>("comando");
    QTest::newRow("error quoting the statement's opening")
        << "PRODUTOS\r\n[Firebird][Cliente][Erro] unsuccessful metadata update\r\nCREATE OR ALTER TRIGGER "
           "PRODUTOS_RPL failed\r\nColumn unknown\r\nCAMPO_7"
        << Comando();
    QTest::newRow("one-line error") << "PRODUTOS\r\n[Firebird][Cliente][Erro] Table unknown" << Comando();
    QTest::newRow("no statement") << "PRODUTOS\r\n[Firebird][Cliente][Erro] Table unknown" << QString();
}

void TCaixaComandoTest::BoxFitsTheScreenWithTableErrorAndStatement()
{
    QFETCH(QString, cabecalho);
    QFETCH(QString, comando);
    const auto dividida =
        TCaixaComando::DeFalhaGatilho(comando.isEmpty() ? cabecalho : cabecalho + "\r\n" + comando);
    TCaixaComando& caixa = *dividida;
    QCOMPARE(caixa.Cabecalho(), cabecalho);
    QCOMPARE(caixa.Comando(), comando);
    QCOMPARE(caixa.windowTitle(), QString("Vorel NewDatabase"));

    caixa.show();
    QVERIFY(QTest::qWaitForWindowExposed(&caixa));
    const QRect areaUtil = caixa.screen()->availableGeometry();
    QCOMPARE(areaUtil.size(), QSize(1024, 600));
    const QMargins moldura = caixa.windowHandle()->frameMargins();
    QVERIFY(moldura.top() > 0);
    QVERIFY2(areaUtil.contains(caixa.geometry().marginsAdded(moldura)),
             qPrintable(QString("%1x%2").arg(caixa.width()).arg(caixa.height())));

    // The table, the error and the button are in view.
    auto* rotulo = caixa.findChild<QLabel*>("lblCabecalho");
    QCOMPARE(rotulo->text(), QString(cabecalho).replace("\r\n", "\n"));
    QVERIFY(rotulo->isVisible());
    QVERIFY(caixa.rect().contains(rotulo->geometry()));
    QVERIFY(rotulo->height() >= rotulo->heightForWidth(rotulo->width()));
    QPushButton* ok = caixa.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isVisible());
    QVERIFY(caixa.rect().contains(QRect(ok->mapTo(&caixa, QPoint(0, 0)), ok->size())));

    // The statement scrolls and can be copied whole.
    auto* area = caixa.findChild<QPlainTextEdit*>("memComando");
    QCOMPARE(area->isVisible(), !comando.isEmpty());
    if (comando.isEmpty())
        return;
    QVERIFY(area->isReadOnly());
    QVERIFY(area->verticalScrollBar()->maximum() > 0);
    QVERIFY(area->textInteractionFlags() & Qt::TextSelectableByMouse);
    area->selectAll();
    area->copy();
    QCOMPARE(QApplication::clipboard()->text(), QString(comando).replace("\r\n", "\n"));
}

// The box takes the focus on its button: Enter closes it, as on any message.
void TCaixaComandoTest::EnterClosesTheShownBox()
{
    QString vista;
    QTimer::singleShot(0, [&] {
        auto* caixa = qobject_cast<TCaixaComando*>(QApplication::activeModalWidget());
        QVERIFY(caixa);
        vista = caixa->Cabecalho();
        QTest::keyClick(caixa->focusWidget(), Qt::Key_Return);
    });
    TCaixaMensagem::MostrarFalhaGatilho("PRODUTOS\r\nTable unknown\r\n" + Comando(), nullptr);
    QCOMPARE(vista, QString("PRODUTOS\r\nTable unknown"));
}

// The pending keys' box and a failure's message, shown on the small screen, leave part of the
// screen free around them.
void TCaixaComandoTest::BoxesLeaveRoomOnTheSmallScreen_data()
{
    QTest::addColumn<bool>("comandos");
    QTest::newRow("pending foreign keys") << true;
    QTest::newRow("failure message") << false;
}

void TCaixaComandoTest::BoxesLeaveRoomOnTheSmallScreen()
{
    QFETCH(bool, comandos);
    constexpr double CParteMaxima = 0.85;
    QRect vista;
    QRect area;
    const auto medir = [&](QWidget& ACaixa) {
        ACaixa.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ACaixa));
        area = ACaixa.screen()->availableGeometry();
        vista = ACaixa.geometry().marginsAdded(ACaixa.windowHandle()->frameMargins());
    };
    if (comandos) {
        QStringList chaves;
        for (int i = 0; i < 40; ++i)
            chaves << QString("alter table TABELA_%1 add constraint FK_TABELA_%1 foreign key (EMPRESA, CODIGO) "
                              "references CLIENTES (EMPRESA, CLI_CODIGO);").arg(i);
        TCaixaComando caixa("Chaves estrangeiras excluídas do DESTINO e ainda não recriadas, guardadas em\r\n"
                            "/home/tecnico/.local/share/Vorel/NewDatabase/chaves-pendentes/destino.txt\r\n"
                            "A próxima importação neste DESTINO as recria.",
                            chaves.join("\r\n"), nullptr);
        medir(caixa);
    } else {
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog& ADialogo) {
            medir(ADialogo);
            return static_cast<int>(mrOk);
        });
        TDialog::Error("Arquivo que não é um banco de dados: o arquivo escolhido não é um banco de dados Firebird "
                       "que este servidor abra.\r\nEscolha o arquivo .fdb correto e clique em \"Iniciar\" "
                       "novamente; nada foi alterado.\r\nBanco de dados de ORIGEM não pôde ser lido: "
                       "/home/tecnico/bancos/origem.fdb\r\n[VorelDB][Phys][FB]file /home/tecnico/bancos/origem.fdb "
                       "is not a valid database",
                       true);
    }
    QCOMPARE(area.size(), QSize(1024, 600));
    QVERIFY2(area.contains(vista), qPrintable(QString("%1x%2").arg(vista.width()).arg(vista.height())));
    QVERIFY2(vista.height() <= CParteMaxima * area.height(), qPrintable(QString::number(vista.height())));
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VOREL_TELA_PEQUENA);
    TAplicacao aplicacao(argc, argv);
    TCaixaComandoTest teste;
    return QTest::qExec(&teste, argc, argv);
}

#include "CaixaComandoTest.moc"
