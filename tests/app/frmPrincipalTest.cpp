#include "Aplicacao.h"
#include "Dialog.h"
#include "JanelaTeste.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class TfrmPrincipalTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void ControlsStartAsDesigned_data();
    void ControlsStartAsDesigned();
    void TextsFocusAndTabOrder();
    void AnchorsFollowTheWindowSize_data();
    void AnchorsFollowTheWindowSize();
    void PickerFillsTheBoxAndRemembersTheFile_data();
    void PickerFillsTheBoxAndRemembersTheFile();
    void CancellingThePickerKeepsTheText();
    void IniciarRefusesMissingOrEqualPaths_data();
    void IniciarRefusesMissingOrEqualPaths();
    void ClosingDuringARunAsksFirst_data();
    void ClosingDuringARunAsksFirst();
    void EnterStartsOnlyOnTheFocusedIniciar_data();
    void EnterStartsOnlyOnTheFocusedIniciar();
    void SmallestWindowKeepsFieldsButtonAndLogUsable();
    void QtOwnTextsArePortuguese();

private:
    std::unique_ptr<TJanelaTeste> F;
};

void TfrmPrincipalTest::init()
{
    F = std::make_unique<TJanelaTeste>();
    F->Janela.show();
    QVERIFY(QTest::qWaitForWindowActive(&F->Janela));
}

void TfrmPrincipalTest::cleanup()
{
    F.reset();
    TDialog::DefinirProximaResposta(TDialog::TResponder());
}

void TfrmPrincipalTest::ControlsStartAsDesigned_data()
{
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QRect>("geometria");
    QTest::newRow("edtArquivoOrigem") << "edtArquivoOrigem" << QRect(16, 35, 836, 21);
    QTest::newRow("edtArquivoDestino") << "edtArquivoDestino" << QRect(16, 83, 836, 21);
    QTest::newRow("btnIniciar") << "btnIniciar" << QRect(872, 81, 75, 25);
    QTest::newRow("btnVerificar") << "btnVerificar" << QRect(872, 33, 75, 25);
    QTest::newRow("memInfo") << "memInfo" << QRect(16, 133, 931, 507);
    QTest::newRow("pgbTotal") << "pgbTotal" << QRect(16, 646, 931, 17);
    QTest::newRow("pgbAtual") << "pgbAtual" << QRect(16, 670, 931, 17);
}

void TfrmPrincipalTest::ControlsStartAsDesigned()
{
    QFETCH(QString, nome);
    QFETCH(QRect, geometria);
    QCOMPARE(F->Janela.centralWidget()->size(), QSize(959, 701));
    QCOMPARE(F->Controle(nome.toLatin1().constData())->geometry(), geometria);
}

void TfrmPrincipalTest::TextsFocusAndTabOrder()
{
    QCOMPARE(F->Janela.windowTitle(),
             QString("Vorel NewDatabase (Importação para um banco de dados Vorel novo/limpo)"));
    // The labels fit their text at their places.
    const std::pair<const char*, QPoint> rotulos[] = {{"Label1", {16, 16}}, {"Label2", {16, 64}}};
    for (const auto& [nome, lugar] : rotulos) {
        auto* rotulo = F->Controle<QLabel>(nome);
        QCOMPARE(rotulo->pos(), lugar);
        QCOMPARE(rotulo->size(), rotulo->sizeHint());
    }
    QCOMPARE(F->Controle<QLabel>("Label1")->text(), QString("Banco de dados de ORIGEM"));
    QCOMPARE(F->Controle<QLabel>("Label2")->text(), QString("Banco de dados de DESTINO"));
    QCOMPARE(F->Iniciar()->text(), QString("Iniciar"));
    for (QLineEdit* edit : {F->Origem(), F->Destino()}) {
        QVERIFY(edit->isReadOnly());
        QVERIFY(edit->text().isEmpty());
        QAction* pasta = F->BotaoPasta(edit->objectName().toLatin1().constData());
        QVERIFY(pasta);
        QCOMPARE(pasta->icon().pixmap(16).size(), QSize(16, 16));
    }
    QVERIFY(F->Log()->isReadOnly());
    QVERIFY(F->Log()->toPlainText().isEmpty());
    const QFontInfo fonteLog(F->Log()->font());
    QVERIFY(fonteLog.fixedPitch());
    QCOMPARE(F->Log()->font().pointSize(), 12);
    QCOMPARE(F->Total()->Posicao(), 0);
    QCOMPARE(F->Atual()->Posicao(), 0);

    QCOMPARE(QApplication::focusWidget(), F->Iniciar());
    QWidget* esperados[] = {F->Log(), F->Origem(), F->Destino()};
    QWidget* atual = F->Iniciar();
    for (QWidget* proximo : esperados) {
        QTest::keyClick(atual, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), proximo);
        atual = proximo;
    }
}

void TfrmPrincipalTest::AnchorsFollowTheWindowSize_data()
{
    // The window grows by 241 x 199 and then shrinks to 600 x 400 (by -359 x -301).
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QRect>("maior");
    QTest::addColumn<QRect>("menor");
    QTest::newRow("edtArquivoOrigem") << "edtArquivoOrigem" << QRect(16, 35, 1077, 21) << QRect(16, 35, 477, 21);
    QTest::newRow("btnIniciar") << "btnIniciar" << QRect(1113, 81, 75, 25) << QRect(513, 81, 75, 25);
    QTest::newRow("btnVerificar") << "btnVerificar" << QRect(1113, 33, 75, 25) << QRect(513, 33, 75, 25);
    QTest::newRow("memInfo") << "memInfo" << QRect(16, 133, 1172, 706) << QRect(16, 133, 572, 206);
    QTest::newRow("pgbTotal") << "pgbTotal" << QRect(16, 845, 1172, 17) << QRect(16, 345, 572, 17);
    QTest::newRow("pgbAtual") << "pgbAtual" << QRect(16, 869, 1172, 17) << QRect(16, 369, 572, 17);
}

void TfrmPrincipalTest::AnchorsFollowTheWindowSize()
{
    QFETCH(QString, nome);
    QFETCH(QRect, maior);
    QFETCH(QRect, menor);
    QWidget* controle = F->Controle(nome.toLatin1().constData());
    F->Janela.resize(1200, 900);
    QTRY_COMPARE(F->Janela.centralWidget()->size(), QSize(1200, 900));
    QCOMPARE(controle->geometry(), maior);
    F->Janela.resize(600, 400);
    QTRY_COMPARE(F->Janela.centralWidget()->size(), QSize(600, 400));
    QCOMPARE(controle->geometry(), menor);
}

void TfrmPrincipalTest::PickerFillsTheBoxAndRemembersTheFile_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("titulo");
    QTest::newRow("origem") << "edtArquivoOrigem" << "Selecione o Arquivo de Origem";
    QTest::newRow("destino") << "edtArquivoDestino" << "Selecione o Arquivo de Destino";
}

void TfrmPrincipalTest::PickerFillsTheBoxAndRemembersTheFile()
{
    QFETCH(QString, edit);
    QFETCH(QString, titulo);
    QTemporaryDir pasta;
    const QString arquivo = pasta.filePath("banco.fdb");
    QFile(arquivo).open(QIODevice::WriteOnly);

    QString tituloVisto;
    QStringList filtros;
    QStringList oferecidos;
    auto responder = [&](bool aceitar) {
        QTimer::singleShot(0, [&, aceitar] {
            auto* seletor = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(seletor);
            tituloVisto = seletor->windowTitle();
            filtros = seletor->nameFilters();
            oferecidos = seletor->selectedFiles();
            if (aceitar) {
                seletor->selectFile(arquivo);
                QMetaObject::invokeMethod(seletor, "accept");
            } else {
                seletor->reject();
            }
        });
    };
    QAction* botao = F->BotaoPasta(edit.toLatin1().constData());
    responder(true);
    botao->trigger();
    QCOMPARE(tituloVisto, titulo);
    QCOMPARE(filtros, QStringList{"Firebird (*.fdb)"});
    QCOMPARE(F->Controle<QLineEdit>(edit.toLatin1().constData())->text(), arquivo);

    responder(false);
    botao->trigger();
    QCOMPARE(oferecidos, QStringList{arquivo});
}

void TfrmPrincipalTest::CancellingThePickerKeepsTheText()
{
    F->Origem()->setText("/dados/anterior.fdb");
    QTimer::singleShot(0, [] {
        auto* seletor = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(seletor);
        QTest::keyClick(seletor, Qt::Key_Escape);
    });
    F->BotaoPasta("edtArquivoOrigem")->trigger();
    QCOMPARE(F->Origem()->text(), QString("/dados/anterior.fdb"));
}

void TfrmPrincipalTest::IniciarRefusesMissingOrEqualPaths_data()
{
    QTest::addColumn<QString>("origem");
    QTest::addColumn<QString>("destino");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("both empty") << "" << "" << "Banco de dados de ORIGEM não foi informado.";
    QTest::newRow("destination empty") << "/dados/a.fdb" << "" << "Banco de dados de DESTINO não foi informado.";
    QTest::newRow("same file") << "/dados/a.fdb" << "/dados/a.fdb"
                               << "Banco de dados de ORIGEM e DESTINO não podem ser iguais.";
}

void TfrmPrincipalTest::IniciarRefusesMissingOrEqualPaths()
{
    QFETCH(QString, origem);
    QFETCH(QString, destino);
    QFETCH(QString, mensagem);
    F->Origem()->setText(origem);
    F->Destino()->setText(destino);
    F->Log()->setPlainText("linha da execução anterior");

    // "Verificar" validates the same way.
    for (QPushButton* botao : {F->Iniciar(), F->Verificar()}) {
        QString vista;
        QString tituloVisto;
        bool comandosDesativados = false;
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
            vista = dialogo.Mensagem();
            tituloVisto = dialogo.Titulo();
            // "Iniciar" is the command's stop meanwhile.
            comandosDesativados = F->Iniciar()->text() == "Parar" && !F->Verificar()->isEnabled() &&
                                  !F->BotaoPasta("edtArquivoOrigem")->isEnabled() &&
                                  !F->BotaoPasta("edtArquivoDestino")->isEnabled();
            return int(mrOk);
        });
        QVERIFY(F->Executar(botao));
        QCOMPARE(vista, mensagem);
        QCOMPARE(tituloVisto, QString("Atenção"));
        QVERIFY(comandosDesativados);
        QVERIFY(F->Iniciar()->isEnabled());
        QVERIFY(F->Verificar()->isEnabled());
        QCOMPARE(F->Log()->toPlainText(), QString("linha da execução anterior"));
    }
}

// The refusal's message holds the run open, so the window is closed while it is under way.
void TfrmPrincipalTest::ClosingDuringARunAsksFirst_data()
{
    QTest::addColumn<int>("resposta");
    QTest::newRow("no keeps the window") << int(mrNo);
    QTest::newRow("yes closes it after the run") << int(mrYes);
}

void TfrmPrincipalTest::ClosingDuringARunAsksFirst()
{
    QFETCH(int, resposta);
    QString pergunta;
    bool aberta = true;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog&) {
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog& confirmacao) {
            pergunta = confirmacao.Titulo();
            return resposta;
        });
        F->Janela.close();
        aberta = F->Janela.isVisible();
        return int(mrOk);
    });
    QVERIFY(F->ExecutarIniciar());
    QCOMPARE(pergunta, QString("Confirme"));
    QVERIFY(aberta);
    QCOMPARE(F->Janela.isVisible(), resposta == mrNo);
}

void TfrmPrincipalTest::EnterStartsOnlyOnTheFocusedIniciar_data()
{
    QTest::addColumn<QString>("foco");
    QTest::addColumn<int>("tecla");
    QTest::addColumn<bool>("inicia");
    QTest::newRow("Return on Iniciar") << "btnIniciar" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter on Iniciar") << "btnIniciar" << int(Qt::Key_Enter) << true;
    QTest::newRow("Space on Iniciar") << "btnIniciar" << int(Qt::Key_Space) << true;
    QTest::newRow("Return in the log") << "memInfo" << int(Qt::Key_Return) << false;
    QTest::newRow("Return in a path box") << "edtArquivoOrigem" << int(Qt::Key_Return) << false;
}

// Without paths, a started command shows its refusal at once.
void TfrmPrincipalTest::EnterStartsOnlyOnTheFocusedIniciar()
{
    QFETCH(QString, foco);
    QFETCH(int, tecla);
    QFETCH(bool, inicia);
    QWidget* controle = F->Controle(foco.toLatin1().constData());
    controle->setFocus();
    QCOMPARE(QApplication::focusWidget(), controle);

    QString vista;
    TDialog::DefinirProximaResposta([&](TCustomMsgDialog& dialogo) {
        vista = dialogo.Mensagem();
        return int(mrOk);
    });
    QSignalSpy fim(&F->Janela, &TfrmPrincipal::ExecucaoTerminada);
    QTest::keyClick(controle, Qt::Key(tecla));
    if (inicia)
        QVERIFY(fim.count() == 1 || fim.wait(10000));
    else
        QVERIFY(!fim.wait(200));
    QCOMPARE(vista, inicia ? QString("Banco de dados de ORIGEM não foi informado.") : QString());
}

void TfrmPrincipalTest::SmallestWindowKeepsFieldsButtonAndLogUsable()
{
    F->Janela.resize(100, 100);
    QWidget* cliente = F->Janela.centralWidget();
    QTRY_COMPARE(cliente->size(), cliente->minimumSize());
    QVERIFY(cliente->width() < 959 && cliente->height() < 701);
    // The smallest window still fits a small screen.
    QVERIFY(F->Janela.frameGeometry().width() <= 800 && F->Janela.frameGeometry().height() <= 600);

    const QRect area = cliente->rect();
    for (QWidget* controle : std::initializer_list<QWidget*>{F->Origem(), F->Destino(), F->Iniciar(), F->Log(),
                                                             F->Total(), F->Atual()})
        QVERIFY2(area.contains(controle->geometry()), qPrintable(controle->objectName()));
    for (QLineEdit* edit : {F->Origem(), F->Destino()}) {
        QVERIFY(edit->width() >= 300);
        QVERIFY(edit->geometry().right() < F->Iniciar()->x());
    }
    QCOMPARE(F->Iniciar()->size(), QSize(75, 25));
    QVERIFY(F->Log()->y() > F->Destino()->geometry().bottom());
    QVERIFY(F->Total()->y() > F->Log()->geometry().bottom());
    QVERIFY(F->Atual()->y() > F->Total()->geometry().bottom());
    const int linhasVisiveis = F->Log()->viewport()->height() / QFontMetrics(F->Log()->font()).lineSpacing();
    QVERIFY2(linhasVisiveis >= 5, qPrintable(QString::number(linhasVisiveis)));
}

// The file picker and the log's context menu are Qt's own; they speak Portuguese too.
void TfrmPrincipalTest::QtOwnTextsArePortuguese()
{
    QStringList rotulos;
    QStringList botoes;
    QTimer::singleShot(0, [&] {
        auto* seletor = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(seletor);
        for (const char* nome : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            rotulos << seletor->findChild<QLabel*>(nome)->text();
        for (QAbstractButton* botao : seletor->findChild<QDialogButtonBox*>()->buttons())
            botoes << botao->text();
        seletor->reject();
    });
    F->BotaoPasta("edtArquivoOrigem")->trigger();
    QCOMPARE(rotulos, (QStringList{"Procurar em:", "&Nome do arquivo:", "Arquivos do tipo:"}));
    botoes.sort();
    QCOMPARE(botoes, (QStringList{"&Abrir", "Cancelar"}));

    std::unique_ptr<QMenu> menu(F->Log()->createStandardContextMenu());
    QStringList itens;
    for (const QAction* acao : menu->actions())
        if (!acao->isSeparator())
            itens << acao->text().section('\t', 0, 0);
    QCOMPARE(itens, (QStringList{"&Copiar", "Selecionar tudo"}));
}

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    TfrmPrincipalTest teste;
    return QTest::qExec(&teste, argc, argv);
}

#include "frmPrincipalTest.moc"
