#include "CustomMsgDialog.h"
#include "Dialog.h"
#include "ResourceIcon.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <optional>

using TTipoFn = const TDialogTypeEnum& (*)();
Q_DECLARE_METATYPE(TTipoFn)

namespace {

QStringList Botoes(const TCustomMsgDialog& ADialogo)
{
    QStringList textos;
    for (const auto* botao : ADialogo.findChildren<QPushButton*>())
        textos << botao->text();
    return textos;
}

// Through a pixmap, as the window shows it: a pixmap keeps its colours premultiplied by their
// alpha, which rounds translucent pixels.
QImage ImagemRecurso(const TResourceIconEnum& AIcone)
{
    return QPixmap::fromImage(QImage(TResourceIcon::CaminhoRecurso(AIcone)))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void DialogTypesCarryTheirIcons();
    void WindowShowsTitleIconAndButtonsOfItsType_data();
    void WindowShowsTitleIconAndButtonsOfItsType();
    void HeightFollowsTheMessageBetween200AndTheScreen_data();
    void HeightFollowsTheMessageBetween200AndTheScreen();
    void HeightCountsTheFrameBeforeTheWindowIsShown();
    void KeysCloseTheWindowWithTheirAnswer_data();
    void KeysCloseTheWindowWithTheirAnswer();
    void CloseBoxAnswersCancel();
    void CtrlCCopiesTheMessageOnly();
    void MessageStaysDarkOnWhiteUnderADarkStyle();

    void ConfirmIsTrueOnlyForYes_data();
    void ConfirmIsTrueOnlyForYes();
    void AbortOperationsRaiseTheSilentAbortAfterTheWindowIsGone();
    void AbortAndFocusMovesTheFocusOnlyToAControlThatCanTakeIt_data();
    void AbortAndFocusMovesTheFocusOnlyToAControlThatCanTakeIt();
    void AMessageTakesAwayTheBusyPointer();
    void AbortShownForRealEndsWithEsc();
};

void TDialogTest::init()
{
    TDialog::DefinirProximaResposta(TDialog::TResponder());
}

void TDialogTest::DialogTypesCarryTheirIcons()
{
    QCOMPARE(TDialogTypeEnum::Size(), 5);
    const std::vector<std::pair<const TDialogTypeEnum*, const TResourceIconEnum*>> esperados{
        {&TDialogTypeEnum::dtError(), &TResourceIconEnum::riError64()},
        {&TDialogTypeEnum::dtInfo(), &TResourceIconEnum::riInfo64()},
        {&TDialogTypeEnum::dtWarning(), &TResourceIconEnum::riWarning64()},
        {&TDialogTypeEnum::dtConfirm(), &TResourceIconEnum::riQuestion64()},
        {&TDialogTypeEnum::dtAbort(), &TResourceIconEnum::riError2_64()},
    };
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(&TDialogTypeEnum::ValueOf(i), esperados[i].first);
        QCOMPARE(&esperados[i].first->Icone(), esperados[i].second);
    }
    QVERIFY(!TDialogTypeEnum::dtError().Equals(&TResourceIconEnum::riNone()));
    QVERIFY(!TResourceIconEnum::riClose16().Equals(&TDialogTypeEnum::dtInfo()));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, TDialogTypeEnum::ValueOf(5));
}

void TDialogTest::WindowShowsTitleIconAndButtonsOfItsType_data()
{
    QTest::addColumn<TTipoFn>("tipo");
    QTest::addColumn<bool>("focarBotao");
    QTest::addColumn<QString>("titulo");
    QTest::addColumn<QStringList>("botoes");
    QTest::newRow("error") << &TDialogTypeEnum::dtError << true << "Erro" << QStringList{"&Ok"};
    QTest::newRow("info without focus") << &TDialogTypeEnum::dtInfo << false << "Informação"
                                        << QStringList{"&Ok (ESC)"};
    QTest::newRow("warning") << &TDialogTypeEnum::dtWarning << true << "Atenção" << QStringList{"&Ok"};
    QTest::newRow("abort") << &TDialogTypeEnum::dtAbort << true << "Atenção" << QStringList{"&Ok"};
    QTest::newRow("confirm") << &TDialogTypeEnum::dtConfirm << true << "Confirme" << QStringList{"&Não", "&Sim"};
    QTest::newRow("confirm without focus") << &TDialogTypeEnum::dtConfirm << false << "Confirme"
                                           << QStringList{"&Não", "&Sim"};
}

void TDialogTest::WindowShowsTitleIconAndButtonsOfItsType()
{
    QFETCH(TTipoFn, tipo);
    QFETCH(bool, focarBotao);
    QFETCH(QString, titulo);
    QFETCH(QStringList, botoes);

    TCustomMsgDialog dialogo(nullptr, tipo(), "Texto", focarBotao, false);
    QCOMPARE(dialogo.windowTitle(), QString("Mensagem"));
    QCOMPARE(dialogo.Titulo(), titulo);
    auto* rotuloTitulo = dialogo.findChild<QLabel*>("lblTitulo");
    QVERIFY(rotuloTitulo);
    QCOMPARE(rotuloTitulo->text(), titulo);
    QVERIFY(rotuloTitulo->font().bold());
    QCOMPARE(rotuloTitulo->font().pointSize(), 10);
    QCOMPARE(rotuloTitulo->height(), 32);
    QCOMPARE(dialogo.findChild<QLabel*>("lblMensagem")->text(), QString("Texto"));

    auto* icone = dialogo.findChild<QLabel*>("imgIcone");
    QCOMPARE(icone->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), ImagemRecurso(tipo().Icone()));
    QCOMPARE(icone->mapTo(&dialogo, QPoint(0, 0)), QPoint(16, 16));

    QCOMPARE(Botoes(dialogo), botoes);
    auto* direita = dialogo.findChild<QPushButton*>(botoes.size() == 2 ? "btnNao" : "btnOk");
    QCOMPARE(direita->geometry(), QRect(412, 11, 80, 25));
    if (auto* sim = dialogo.findChild<QPushButton*>("btnSim"))
        QCOMPARE(sim->geometry(), QRect(328, 11, 80, 25));
    for (const auto* botao : dialogo.findChildren<QPushButton*>()) {
        QCOMPARE(botao->focusPolicy(), focarBotao ? Qt::StrongFocus : Qt::NoFocus);
        QVERIFY(!botao->isDefault());
    }
}

void TDialogTest::HeightFollowsTheMessageBetween200AndTheScreen_data()
{
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("limite");
    QTest::newRow("empty") << QString() << "floor";
    QTest::newRow("one line") << "Banco de dados de ORIGEM não foi informado." << "floor";
    QTest::newRow("twenty lines") << QString("linha\r\n").repeated(19) + "linha" << "none";
    QTest::newRow("longer than the screen") << QString("Uma mensagem longa demais. ").repeated(2000) << "screen";
}

// Heights count the frame: the window, title bar included, stands within the screen's usable
// area with its button bar in view.
void TDialogTest::HeightFollowsTheMessageBetween200AndTheScreen()
{
    QFETCH(QString, mensagem);
    QFETCH(QString, limite);

    TCustomMsgDialog dialogo(nullptr, TDialogTypeEnum::dtError(), mensagem, true, false);
    dialogo.show();
    const QMargins moldura = dialogo.windowHandle()->frameMargins();
    QVERIFY(moldura.top() > 0);
    const QRect comMoldura = dialogo.geometry().marginsAdded(moldura);
    QCOMPARE(dialogo.width(), 500);
    auto* rotulo = dialogo.findChild<QLabel*>("lblMensagem");
    QCOMPARE(rotulo->width(), 384);
    QCOMPARE(rotulo->mapTo(&dialogo, QPoint(0, 0)), QPoint(16 + 68 + 16, 16 + 32));
    const QRect areaUtil = dialogo.screen()->availableGeometry();
    if (limite == "floor") {
        QCOMPARE(comMoldura.height(), 200);
    } else if (limite == "screen") {
        QCOMPARE(comMoldura.height(), areaUtil.height());
        QVERIFY(rotulo->height() > areaUtil.height());
    } else {
        QCOMPARE(comMoldura.height(), moldura.top() + moldura.bottom() + 118 + rotulo->height());
        QVERIFY(comMoldura.height() > 200 && comMoldura.height() < areaUtil.height());
    }
    QVERIFY(areaUtil.contains(comMoldura));
    auto* barra = dialogo.findChild<QWidget*>("pnlBotoes");
    QCOMPARE(barra->geometry(), QRect(0, dialogo.height() - 48, 500, 48));
}

// Over a framed main window, the height is right before the message window is framed itself.
void TDialogTest::HeightCountsTheFrameBeforeTheWindowIsShown()
{
    QWidget principal;
    principal.show();
    const QMargins moldura = principal.windowHandle()->frameMargins();
    QVERIFY(moldura.top() > 0);
    TCustomMsgDialog dialogo(&principal, TDialogTypeEnum::dtError(), QString(), true, false);
    QCOMPARE(dialogo.height(), 200 - moldura.top() - moldura.bottom());
    dialogo.show();
    QCOMPARE(dialogo.height(), 200 - moldura.top() - moldura.bottom());
}

void TDialogTest::KeysCloseTheWindowWithTheirAnswer_data()
{
    QTest::addColumn<TTipoFn>("tipo");
    QTest::addColumn<bool>("focarBotao");
    QTest::addColumn<bool>("focarSim");
    QTest::addColumn<int>("tecla");
    QTest::addColumn<int>("resposta"); // mrNone: the window stays open

    const auto ok = &TDialogTypeEnum::dtInfo;
    const auto confirme = &TDialogTypeEnum::dtConfirm;
    QTest::newRow("ok, focused, Enter") << ok << true << false << int(Qt::Key_Return) << int(mrOk);
    QTest::newRow("ok, focused, Space") << ok << true << false << int(Qt::Key_Space) << int(mrOk);
    QTest::newRow("ok, focused, Esc") << ok << true << false << int(Qt::Key_Escape) << int(mrOk);
    QTest::newRow("ok, unfocused, Enter") << ok << false << false << int(Qt::Key_Return) << int(mrNone);
    QTest::newRow("ok, unfocused, Esc") << ok << false << false << int(Qt::Key_Escape) << int(mrOk);
    QTest::newRow("confirm, Enter on Não") << confirme << true << false << int(Qt::Key_Enter) << int(mrNo);
    QTest::newRow("confirm, Enter on Sim") << confirme << true << true << int(Qt::Key_Return) << int(mrYes);
    QTest::newRow("confirm, Esc with Sim focused") << confirme << true << true << int(Qt::Key_Escape) << int(mrNo);
    QTest::newRow("confirm, unfocused, Esc") << confirme << false << true << int(Qt::Key_Escape) << int(mrNone);
    // A confirmation always gives one of its buttons the focus, tab stop or not.
    QTest::newRow("confirm, unfocused, Enter") << confirme << false << true << int(Qt::Key_Return) << int(mrYes);
}

void TDialogTest::KeysCloseTheWindowWithTheirAnswer()
{
    QFETCH(TTipoFn, tipo);
    QFETCH(bool, focarBotao);
    QFETCH(bool, focarSim);
    QFETCH(int, tecla);
    QFETCH(int, resposta);

    TCustomMsgDialog dialogo(nullptr, tipo(), "Mensagem de teste", focarBotao, focarSim);
    dialogo.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialogo));
    QWidget* foco = dialogo.focusWidget();
    QCOMPARE(foco != nullptr, focarBotao || &tipo() == &TDialogTypeEnum::dtConfirm());
    QTest::keyClick(foco != nullptr ? foco : &dialogo, Qt::Key(tecla));
    QCOMPARE(dialogo.result(), resposta);
    QCOMPARE(dialogo.isVisible(), resposta == mrNone);
}

void TDialogTest::CloseBoxAnswersCancel()
{
    TCustomMsgDialog dialogo(nullptr, TDialogTypeEnum::dtConfirm(), "Mensagem", true, true);
    dialogo.show();
    QVERIFY(dialogo.close());
    QCOMPARE(dialogo.result(), int(mrCancel));
}

void TDialogTest::CtrlCCopiesTheMessageOnly()
{
    TCustomMsgDialog dialogo(nullptr, TDialogTypeEnum::dtWarning(), "Texto a copiar", false, false);
    dialogo.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialogo));
    QApplication::clipboard()->setText("antes");
    QTest::keyClick(&dialogo, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("antes"));
    QTest::keyClick(&dialogo, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("Texto a copiar"));
    QVERIFY(dialogo.isVisible());
}

// A dark application style must not turn the message into light text on the white area.
void TDialogTest::MessageStaysDarkOnWhiteUnderADarkStyle()
{
    const QPalette paletaAntes = QApplication::palette();
    QPalette escura = paletaAntes;
    escura.setColor(QPalette::WindowText, QColor(230, 230, 230));
    escura.setColor(QPalette::Window, QColor(40, 40, 40));
    QApplication::setPalette(escura);
    qApp->setStyleSheet("QPushButton { border: 1px solid black; }");

    TCustomMsgDialog dialogo(nullptr, TDialogTypeEnum::dtInfo(), "MMMMMMMMMM", true, false);
    dialogo.show();
    const QImage imagem = dialogo.findChild<QLabel*>("lblMensagem")->grab().toImage();
    int menorLuz = 255;
    for (int y = 0; y < imagem.height(); ++y)
        for (int x = 0; x < imagem.width(); ++x)
            menorLuz = std::min(menorLuz, qGray(imagem.pixel(x, y)));

    qApp->setStyleSheet(QString());
    QApplication::setPalette(paletaAntes);
    QVERIFY2(menorLuz < 100, qPrintable(QString::number(menorLuz)));
    QCOMPARE(imagem.pixelColor(0, 0), QColor(Qt::white));
}

void TDialogTest::ConfirmIsTrueOnlyForYes_data()
{
    QTest::addColumn<bool>("focarSim");
    QTest::addColumn<int>("resposta");
    QTest::addColumn<bool>("esperado");
    QTest::newRow("yes") << true << int(mrYes) << true;
    QTest::newRow("no") << false << int(mrNo) << false;
    QTest::newRow("cancel") << true << int(mrCancel) << false;
}

void TDialogTest::ConfirmIsTrueOnlyForYes()
{
    QFETCH(bool, focarSim);
    QFETCH(int, resposta);
    QFETCH(bool, esperado);

    std::optional<QString> foco;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
        foco = dialogo.focusWidget() ? dialogo.focusWidget()->objectName() : QString();
        return resposta;
    });
    QCOMPARE(TDialog::Confirm("Deseja continuar?", focarSim), esperado);
    QCOMPARE(foco, std::optional<QString>(focarSim ? "btnSim" : "btnNao"));
}

void TDialogTest::AbortOperationsRaiseTheSilentAbortAfterTheWindowIsGone()
{
    const std::vector<std::pair<const char*, std::function<void()>>> operacoes{
        {"Abort", [] { TDialog::Abort("a", true); }},
        {"ErrorAndAbort", [] { TDialog::ErrorAndAbort("b", false); }},
    };
    for (const auto& [nome, operacao] : operacoes) {
        QPointer<TCustomMsgDialog> janela;
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
            janela = &dialogo;
            return int(mrOk);
        });
        try {
            operacao();
            QFAIL(nome);
        } catch (const ESilentAbort& erro) {
            QCOMPARE(erro.what(), "Operation aborted");
        }
        QVERIFY2(janela.isNull(), nome);
    }

    QString titulo;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
        titulo = dialogo.Titulo();
        return int(mrOk);
    });
    TDialog::Error("c", true);
    QCOMPARE(titulo, QString("Erro"));
}

void TDialogTest::AbortAndFocusMovesTheFocusOnlyToAControlThatCanTakeIt_data()
{
    QTest::addColumn<bool>("visivel");
    QTest::addColumn<bool>("habilitado");
    QTest::newRow("visible and enabled") << true << true;
    QTest::newRow("hidden") << false << true;
    QTest::newRow("disabled") << true << false;
}

void TDialogTest::AbortAndFocusMovesTheFocusOnlyToAControlThatCanTakeIt()
{
    QFETCH(bool, visivel);
    QFETCH(bool, habilitado);

    QWidget janela;
    auto* outro = new QLineEdit(&janela);
    auto* alvo = new QLineEdit(&janela);
    alvo->move(0, 40);
    alvo->setVisible(visivel);
    alvo->setEnabled(habilitado);
    janela.show();
    QVERIFY(QTest::qWaitForWindowActive(&janela));
    outro->setFocus();

    QString mensagem;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
        mensagem = dialogo.Mensagem();
        return int(mrOk);
    });
    QVERIFY_THROWS_EXCEPTION(ESilentAbort, TDialog::AbortAndFocus("Escolha outro", alvo, true));
    QCOMPARE(mensagem, QString("Escolha outro"));
    QCOMPARE(janela.focusWidget(), visivel && habilitado ? alvo : outro);
}

void TDialogTest::AMessageTakesAwayTheBusyPointer()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool semPonteiro = false;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog&) {
        semPonteiro = QApplication::overrideCursor() == nullptr;
        return int(mrOk);
    });
    TDialog::Info("Pronto", true);
    QVERIFY(semPonteiro);
}

// The real modal loop, answered by a key press from inside it.
void TDialogTest::AbortShownForRealEndsWithEsc()
{
    QString titulo;
    QTimer::singleShot(0, [&] {
        auto* dialogo = qobject_cast<TCustomMsgDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialogo);
        titulo = dialogo->Titulo();
        QTest::keyClick(dialogo->focusWidget(), Qt::Key_Escape);
    });
    QVERIFY_THROWS_EXCEPTION(ESilentAbort, TDialog::Abort("Banco de dados de DESTINO não foi informado.", true));
    QCOMPARE(titulo, QString("Atenção"));
}

QTEST_MAIN(TDialogTest)
#include "DialogTest.moc"
