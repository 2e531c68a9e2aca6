#include "Aplicacao.h"
#include "BancoTeste.h"
#include "CaixaMensagem.h"
#include "Dialog.h"
#include "JanelaTeste.h"
#include "Migracao.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// Whole Start commands through the window, on real databases of the local server.
class TExecucaoJanelaTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void CompleteRunFillsLogAndBars();
    void FailedRunTurnsTheLogRedAndKeepsTheBars();
    void UnreachableDatabaseGoesToTheGeneralErrorDisplay();
    void YesAfterTheRunEndedClosesAtOnceAndIsForgotten();
    void DestroyingTheWindowDuringARunStopsItQuietly();
    void LogFollowsItsEndOnlyWhileInViewAndShowsTheError_data();
    void LogFollowsItsEndOnlyWhileInViewAndShowsTheError();
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
    // Every command's log closes with where it was kept: the tests read the command's own
    // last line.
    if (!textos.isEmpty() && textos.last().startsWith(QStringLiteral("Log gravado em ")))
        textos.removeLast();
    return textos;
}

// Calls AAcao once, on the window's thread, when the run has written its first log line:
// the run is then under way.
void NaPrimeiraLinha(TJanelaTeste& AJanela, std::function<void()> AAcao)
{
    auto conexao = std::make_shared<QMetaObject::Connection>();
    *conexao = QObject::connect(AJanela.Log(), &QPlainTextEdit::textChanged, AJanela.Log(), [&AJanela, conexao, AAcao] {
        if (AJanela.Log()->toPlainText().isEmpty())
            return;
        QObject::disconnect(*conexao);
        AAcao();
    });
}

// Answers the next messages in order, keeping what each said.
void Responder(QStringList& AMensagens, std::vector<TModalResult> ARespostas)
{
    if (ARespostas.empty())
        return;
    TDialog::DefinirProximaResposta([&AMensagens, ARespostas](TCustomMsgDialog& ADialogo) mutable {
        AMensagens << ADialogo.Mensagem();
        const TModalResult resposta = ARespostas.front();
        ARespostas.erase(ARespostas.begin());
        Responder(AMensagens, ARespostas);
        return int(resposta);
    });
}

void Preencher(TJanelaTeste& AJanela, const TBancoTeste& AOrigem, const TBancoTeste& ADestino)
{
    AJanela.Origem()->setText(QString::fromStdString(AOrigem.Caminho()));
    AJanela.Destino()->setText(QString::fromStdString(ADestino.Caminho()));
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
    // A destination whose EMPRESAS differs from the source's: the run copies it.
    destino.ExecutarScript("update EMPRESAS set NOME = NOME || '.';");
    Preencher(f, origem, destino);
    f.Log()->setPlainText("linha antiga");

    QVERIFY(f.ExecutarIniciar());

    const QStringList textos = Textos(f.LinhasLog());
    QVERIFY2(textos.size() > 20, qPrintable(f.Log()->toPlainText()));
    // The log opens with the pair it belongs to.
    QCOMPARE(textos.mid(1, 2), (QStringList{"ORIGEM: " + QString::fromStdString(origem.Caminho()),
                                            "DESTINO: " + QString::fromStdString(destino.Caminho())}));
    QCOMPARE(textos[3], QString("Preenchendo campos do tipo boleano (que estão nulos), na base de origem..."));
    QCOMPARE(textos.last(), QString("Importação concluída."));
    QVERIFY2(QRegularExpression(QStringLiteral(" - Log gravado em /.+/vorel-newdatabase/logs/.+\\.log\\.$"))
                 .match(f.LinhasLog().last())
                 .hasMatch(),
             qPrintable(f.LinhasLog().last()));
    QVERIFY(textos.contains("Importando tabela... EMPRESAS"));
    QVERIFY(textos.contains("Criando gatilhos da replicação..."));
    QVERIFY(!f.LinhasLog().contains("linha antiga"));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    // The newest line is in view.
    QCOMPARE(f.Log()->verticalScrollBar()->value(), f.Log()->verticalScrollBar()->maximum());

    // The result stays in view with the log scrolled back to its start, outside the log.
    auto* resultado = f.Controle<QLabel>("lblResultado");
    QCOMPARE(resultado->text(), QString("Importação concluída."));
    f.Log()->verticalScrollBar()->setValue(0);
    QVERIFY(resultado->isVisible());
    QVERIFY(!resultado->geometry().intersects(f.Log()->geometry()));
    QVERIFY(f.Janela.centralWidget()->rect().contains(resultado->geometry()));

    // The summary, one row per table of the run, shown in the log's place on its tab.
    auto* resumo = f.Controle<QTableWidget>("grdResumo");
    auto* vistas = f.Controle<QTabBar>("tabVista");
    const QStringList tabelas =
        textos.filter(QRegularExpression("^(Importando tabela|Mantendo tabela igual à da ORIGEM)\\.\\.\\. "));
    QCOMPARE(resumo->rowCount(), tabelas.size());
    QVERIFY(textos.contains("Resumo da importação:"));
    QVERIFY(!resumo->isVisible());
    vistas->setCurrentIndex(1);
    QVERIFY(resumo->isVisible());
    QVERIFY(!f.Log()->isVisible());
    QCOMPARE(resumo->geometry(), f.Log()->geometry());
    // A click on "Linhas" sorts the rows by their number, a second one the other way round.
    const auto linhas = [resumo] {
        QList<qint64> numeros;
        for (int linha = 0; linha < resumo->rowCount(); ++linha)
            numeros << resumo->item(linha, 1)->text().toLongLong();
        return numeros;
    };
    QHeaderView* cabecalho = resumo->horizontalHeader();
    const QPoint colunaLinhas(cabecalho->sectionViewportPosition(1) + 5, cabecalho->height() / 2);
    QTest::mouseClick(cabecalho->viewport(), Qt::LeftButton, {}, colunaLinhas);
    QList<qint64> crescente = linhas();
    QVERIFY(std::is_sorted(crescente.begin(), crescente.end()));
    QVERIFY(crescente.first() < crescente.last());
    QTest::mouseClick(cabecalho->viewport(), Qt::LeftButton, {}, colunaLinhas);
    QList<qint64> decrescente = linhas();
    QVERIFY(std::is_sorted(decrescente.rbegin(), decrescente.rend()));
    // Ctrl+C copies the selected rows under the columns' names, tab-separated.
    resumo->setFocus();
    resumo->selectRow(0);
    QTest::keyClick(resumo, Qt::Key_C, Qt::ControlModifier);
    const QStringList copia = QApplication::clipboard()->text().split('\n');
    QCOMPARE(copia.size(), 3);
    QCOMPARE(copia[0], QString("Tabela\tLinhas\tSegundos\tLinhas/s\tCaminho\tConferência"));
    const QStringList celulas = copia[1].split('\t');
    QCOMPARE(celulas.size(), 6);
    QCOMPARE(celulas[0], resumo->item(0, 0)->text());
    QCOMPARE(celulas[1].toLongLong(), decrescente.first());
    QVERIFY2(QRegularExpression("^[0-9]+,[0-9]$").match(celulas[2]).hasMatch(), qPrintable(celulas[2]));
    QCOMPARE(celulas[5], QString("igual"));
    vistas->setCurrentIndex(0);

    QCOMPARE(f.Total()->Maximo(), 11);
    QCOMPARE(f.Total()->Posicao(), 11);
    QCOMPARE(f.Atual()->Posicao(), f.Atual()->Maximo());
    QVERIFY(f.Iniciar()->isEnabled());
    // Replication triggers of catalogued tables the fixture lacks are refused one by one.
    for (const QString& caixa : FCaixas)
        QVERIFY2(caixa.contains("\r\n"), qPrintable(caixa));
    QTRY_VERIFY(QApplication::overrideCursor() == nullptr);
}

// The run checks first and refuses the planted failure; the technician may go ahead anyway, and
// the run then meets it part way.
void TExecucaoJanelaTest::FailedRunTurnsTheLogRedAndKeepsTheBars()
{
    TBancoTeste origem("janela-falha-origem");
    TBancoTeste destino("janela-falha-destino");
    destino.ExecutarScript("update EMPRESAS set NOME = NOME || '.';\n"
                               "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);");
    TJanelaTeste f;
    f.Janela.show();
    Preencher(f, origem, destino);
    f.Log()->setPlainText("linha antiga");

    // The run's check refuses the pair; "Não", the default, leaves both databases alone.
    QStringList mensagens;
    Responder(mensagens, {mrYes, mrOk, mrNo});
    QSignalSpy fins(&f.Janela, &TfrmPrincipal::ExecucaoTerminada);
    QTest::mouseClick(f.Iniciar(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return fins.count() == 1; }, 300000));
    QCOMPARE(mensagens.size(), 3);
    QVERIFY2(mensagens[0].startsWith("A importação vai alterar os dois bancos de dados:\r\n- DESTINO ("),
             qPrintable(mensagens[0]));
    QVERIFY2(mensagens[0].contains("- ORIGEM (" + f.Origem()->text() +
                                   "): os campos do tipo boleano que estão nulos passarão a 'N'."),
             qPrintable(mensagens[0]));
    QVERIFY2(mensagens[1].contains("Erro: EMPRESAS, restrição CK_EMPRESAS_ATE_3: linha que a condição da "
                                   "restrição recusa;"),
             qPrintable(mensagens[1]));
    QCOMPARE(mensagens[2], QString("A verificação encontrou problemas que fariam a importação falhar ou perder "
                                   "dados. Deseja iniciar a importação mesmo assim, sem a verificação?"));
    QCOMPARE(f.Log()->toPlainText(), QString("linha antiga"));
    QVERIFY(f.Iniciar()->isEnabled());

    // "Sim" goes ahead without the check, and the run meets the failure part way.
    mensagens.clear();
    Responder(mensagens, {mrYes, mrOk, mrYes});
    QTest::mouseClick(f.Iniciar(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return fins.count() == 3; }, 300000));
    QCOMPARE(mensagens.size(), 3);

    const QStringList textos = Textos(f.LinhasLog());
    QVERIFY2(textos.last().startsWith("Ocorreu um erro: \n"), qPrintable(textos.last()));
    QVERIFY2(textos.last().contains("CK_EMPRESAS_ATE_3"), qPrintable(textos.last()));
    QCOMPARE(textos.filter(QRegularExpression("^Importando tabela")).last(), QString("Importando tabela... EMPRESAS"));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QColor(255, 0, 0));
    auto* resultado = f.Controle<QLabel>("lblResultado");
    QVERIFY2(resultado->text().startsWith("Ocorreu um erro: "), qPrintable(resultado->text()));
    QVERIFY(resultado->text().contains("CK_EMPRESAS_ATE_3"));
    resultado->ensurePolished();
    QCOMPARE(resultado->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // The summary of the failed run ends with the table it failed on, not proven.
    auto* resumo = f.Controle<QTableWidget>("grdResumo");
    QVERIFY(resumo->rowCount() > 0);
    QCOMPARE(resumo->item(resumo->rowCount() - 1, 0)->text(), QString("EMPRESAS"));
    QCOMPARE(resumo->item(resumo->rowCount() - 1, 5)->text(), QString("não conferida"));
    QCOMPARE(f.Total()->Posicao(), 5);
    QCOMPARE(f.Atual()->Posicao(), 2);
    QVERIFY(f.Atual()->Maximo() > 2);
    QVERIFY(f.Iniciar()->isEnabled());

    // The keys the run dropped are shown, ready to copy, with the file that keeps them; closing
    // says again where they are.
    const QString registro = QString::fromStdString(TMigracao::ArquivoChavesPendentes(destino.Caminho()));
    QCOMPARE(FCaixas.size(), 1);
    const QStringList caixa = FCaixas.first().split("\r\n");
    QCOMPARE(caixa.mid(0, 3), (QStringList{"Chaves estrangeiras excluídas do DESTINO e ainda não recriadas, guardadas "
                                           "na tabela NEWDATABASE_CHAVES_PENDENTES do DESTINO e em",
                                           registro, "A próxima importação neste DESTINO as recria."}));
    QCOMPARE(caixa.filter(QRegularExpression("^alter table .* foreign key .*;$")).size(), 8);
    QString aviso;
    TDialog::DefinirProximaResposta([&aviso](TCustomMsgDialog& ADialogo) {
        aviso = ADialogo.findChild<QLabel*>("lblMensagem")->text();
        return static_cast<int>(TModalResult::mrOk);
    });
    QVERIFY(f.Janela.close());
    QCOMPARE(aviso, "Há chaves estrangeiras excluídas do DESTINO e ainda não recriadas. Elas estão guardadas em\n" +
                        registro + "\ne a próxima importação neste DESTINO as recria.");
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

// The close question stays open while the run goes on to its end; the yes then closes the window
// at once, and nothing of it is left for the next run.
void TExecucaoJanelaTest::YesAfterTheRunEndedClosesAtOnceAndIsForgotten()
{
    TBancoTeste origem("janela-fechar-origem");
    TBancoTeste destino("janela-fechar-destino");
    TJanelaTeste f;
    f.Janela.show();
    Preencher(f, origem, destino);

    int perguntas = 0;
    bool terminouAntesDaResposta = false;
    NaPrimeiraLinha(f, [&] {
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog&) {
            ++perguntas;
            terminouAntesDaResposta = QTest::qWaitFor([&] { return !f.Janela.EmExecucao(); }, 300000);
            return int(mrYes);
        });
        f.Janela.close();
    });
    QVERIFY(f.ExecutarIniciar());
    QCOMPARE(perguntas, 1);
    QVERIFY(terminouAntesDaResposta);
    QVERIFY(!f.Janela.isVisible());
    QCOMPARE(Textos(f.LinhasLog()).last(), QString("Importação concluída."));

    // The next run asks again, and a no keeps the window open after that run.
    f.Janela.show();
    NaPrimeiraLinha(f, [&] {
        TDialog::DefinirProximaResposta([&](TCustomMsgDialog&) {
            ++perguntas;
            return int(mrNo);
        });
        f.Janela.close();
    });
    QVERIFY(f.ExecutarIniciar());
    QCOMPARE(perguntas, 2);
    QVERIFY(f.Janela.isVisible());
    QCOMPARE(Textos(f.LinhasLog()).last(), QString("Importação concluída."));
}

// The process may end with a run under way: the window stops the run and goes without
// showing or announcing anything more.
void TExecucaoJanelaTest::DestroyingTheWindowDuringARunStopsItQuietly()
{
    TBancoTeste origem("janela-destruir-origem");
    TBancoTeste destino("janela-destruir-destino");
    auto f = std::make_unique<TJanelaTeste>();
    f->Janela.show();
    Preencher(*f, origem, destino);
    QPointer<TfrmPrincipal> janela(&f->Janela);
    int fins = 0;
    QObject::connect(&f->Janela, &TfrmPrincipal::ExecucaoTerminada, [&] { ++fins; });
    qsizetype caixasAntes = -1;
    qsizetype caixasDepois = -1;
    NaPrimeiraLinha(*f, [&] {
        QTimer::singleShot(0, [&] {
            caixasAntes = FCaixas.size();
            f.reset();
            caixasDepois = FCaixas.size();
        });
    });

    f->ConfirmarImportacao();
    QTest::mouseClick(f->Iniciar(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return janela.isNull(); }, 300000));
    QCOMPARE(fins, 0);
    QCOMPARE(caixasDepois, caixasAntes);
}

void TExecucaoJanelaTest::LogFollowsItsEndOnlyWhileInViewAndShowsTheError_data()
{
    QTest::addColumn<bool>("falha");
    QTest::newRow("complete run stays where the operator scrolled") << false;
    QTest::newRow("failed run shows its error line") << true;
}

void TExecucaoJanelaTest::LogFollowsItsEndOnlyWhileInViewAndShowsTheError()
{
    QFETCH(bool, falha);
    TBancoTeste origem("janela-rolar-origem");
    TBancoTeste destino("janela-rolar-destino");
    if (falha)
        destino.ExecutarScript("update EMPRESAS set NOME = NOME || '.';\n"
                               "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);");
    TJanelaTeste f;
    f.Janela.resize(600, 400);
    f.Janela.show();
    Preencher(f, origem, destino);

    // As soon as the log can scroll, the operator scrolls back to its start.
    QScrollBar* rolagem = f.Log()->verticalScrollBar();
    int linhasDepois = -1;
    auto conexao = std::make_shared<QMetaObject::Connection>();
    *conexao = connect(rolagem, &QScrollBar::rangeChanged, this, [&, conexao](int, int maximo) {
        if (maximo == 0)
            return;
        disconnect(*conexao);
        QTimer::singleShot(0, [&] {
            rolagem->setValue(0);
            linhasDepois = f.Log()->blockCount();
        });
    });

    if (falha) {
        // Past the check's refusal, so that the run meets the failure part way.
        QStringList mensagens;
        Responder(mensagens, {mrYes, mrOk, mrYes});
        QSignalSpy fins(&f.Janela, &TfrmPrincipal::ExecucaoTerminada);
        QTest::mouseClick(f.Iniciar(), Qt::LeftButton);
        QVERIFY(QTest::qWaitFor([&] { return fins.count() == 2; }, 300000));
    } else {
        QVERIFY(f.ExecutarIniciar());
    }
    QVERIFY(linhasDepois > 0);
    QVERIFY2(f.Log()->blockCount() > linhasDepois + 3, qPrintable(QString::number(linhasDepois)));
    QCOMPARE(rolagem->value(), falha ? rolagem->maximum() : 0);
    QVERIFY(rolagem->maximum() > 0);
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
    QCOMPARE(f.Controle<QLabel>("lblResultado")->text(), textos.last());
    // A check copies nothing: no summary.
    QCOMPARE(f.Controle<QTableWidget>("grdResumo")->rowCount(), 0);
    QVERIFY(!f.Controle<QTabBar>("tabVista")->isTabEnabled(1));
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
