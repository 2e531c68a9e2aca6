#include "Aplicacao.h"
#include "BancoTeste.h"
#include "CaixaMensagem.h"
#include "Conexao.h"
#include "Dialog.h"
#include "ErroBancoDados.h"
#include "JanelaTeste.h"
#include "Migracao.h"
#include "PainelProgresso.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>

#include <functional>
#include <memory>

// What the window tells the operator through a long run and after it: failures in plain words
// with the next step, the stop, the progress within a table, the pair the log belongs to, and
// the file picker.
class TOrientacaoJanelaTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void FailureExplainsWhatHappenedAndWhatToDo_data();
    void FailureExplainsWhatHappenedAndWhatToDo();
    void StopFromTheWindowEndsWithItsOwnLine();
    void ProgressWithinATableGivesTotalShareAndEstimate();
    void LogNamesThePairItBelongsTo();
    void PickerOpensOnItsOwnBoxAndLeavesNothingBehind();

private:
    QStringList FCaixas;
};

namespace {

// Every entry of the log opens with the time of day, " - " and the text; the server's text may
// hold " - " too.
QStringList Textos(const QStringList& ALinhas)
{
    static const QRegularExpression carimbo(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d - "));
    QStringList textos;
    for (const QString& linha : ALinhas) {
        const auto achado = carimbo.match(linha);
        if (achado.hasMatch())
            textos << linha.mid(achado.capturedLength());
        else if (!textos.isEmpty())
            textos.last() += "\n" + linha;
    }
    // Every command's log closes with where it was kept: the tests read the command's own
    // last line.
    if (!textos.isEmpty() && textos.last().startsWith(QStringLiteral("Log gravado em ")))
        textos.removeLast();
    return textos;
}

// Calls AAcao once, on the window's thread, at the first log entry that starts with AInicio.
void NaLinha(TJanelaTeste& AJanela, const QString& AInicio, std::function<void()> AAcao)
{
    auto conexao = std::make_shared<QMetaObject::Connection>();
    *conexao = QObject::connect(AJanela.Log(), &QPlainTextEdit::textChanged, AJanela.Log(), [&AJanela, conexao, AInicio, AAcao] {
        if (!Textos(AJanela.LinhasLog()).filter(QRegularExpression("^" + QRegularExpression::escape(AInicio))).isEmpty()) {
            QObject::disconnect(*conexao);
            AAcao();
        }
    });
}

void Preencher(TJanelaTeste& AJanela, const std::string& AOrigem, const std::string& ADestino)
{
    AJanela.Origem()->setText(QString::fromStdString(AOrigem));
    AJanela.Destino()->setText(QString::fromStdString(ADestino));
}

// Chooses AArquivo in the picker the folder button of AEdit opens; ALido gets what the picker
// showed in its name box when it opened.
void Escolher(TJanelaTeste& AJanela, const char* AEdit, const QString& AArquivo, QString* ALido = nullptr)
{
    QTimer::singleShot(0, [AArquivo, ALido] {
        auto* seletor = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(seletor);
        auto* nome = seletor->findChild<QLineEdit*>("fileNameEdit");
        if (ALido)
            *ALido = nome->text();
        // Typed as a whole path: the lists' selection would win over the name box.
        for (QAbstractItemView* lista : seletor->findChildren<QAbstractItemView*>())
            if (lista->selectionModel())
                lista->clearSelection();
        nome->setText(AArquivo);
        static_cast<QDialog*>(seletor)->accept();
    });
    AJanela.BotaoPasta(AEdit)->trigger();
}

// A text a column holds, of this many characters.
std::string Texto(int ACaracteres)
{
    return std::string(static_cast<std::size_t>(ACaracteres), 'x');
}

struct TCasoFalha {
    std::string ScriptOrigem;
    std::string ScriptDestino;
    // Another user's uncommitted change to a yes/no value that the run's first step sets to 'N'.
    bool BloqueioNaOrigem = false;
    // The source is a file of text: the failure comes before the run, in a message.
    bool OrigemNaoEBanco = false;
    // Done once the emptying of the tables is under way, for a failure no script can cause:
    // early enough that most of the run is still ahead, since tables equal on both sides are
    // kept and the copy itself may be short.
    std::function<void(const TBancoTeste& AOrigem, const TBancoTeste& ADestino)> DuranteCopia;
    QString Explicacao; // the first line, as the operator reads it
    QString Proximo;    // how the second line starts
};

// Answers "Sim" to every question (going on with the run, going ahead without the check)
// and closes every other message, for as long as the test runs.
void ResponderSimAsPerguntas()
{
    TDialog::DefinirProximaResposta([](TCustomMsgDialog& ADialogo) {
        ResponderSimAsPerguntas();
        const QString mensagem = ADialogo.Mensagem();
        const bool pergunta = mensagem.startsWith("A importação vai alterar") ||
                              mensagem.startsWith("A verificação encontrou problemas");
        return int(pergunta ? TModalResult::mrYes : TModalResult::mrOk);
    });
}

} // namespace

Q_DECLARE_METATYPE(TCasoFalha)

void TOrientacaoJanelaTest::init()
{
    FCaixas.clear();
    TCaixaMensagem::DefinirObservador([this](const QString& mensagem) { FCaixas << mensagem; });
}

void TOrientacaoJanelaTest::cleanup()
{
    TCaixaMensagem::DefinirObservador(nullptr);
}

void TOrientacaoJanelaTest::FailureExplainsWhatHappenedAndWhatToDo_data()
{
    QTest::addColumn<TCasoFalha>("caso");
    QTest::newRow("too-long text") << TCasoFalha{
        "alter table CLIENTES alter CLI_FANTASIA type varchar(200);\n"
        "update CLIENTES set CLI_FANTASIA = '" + Texto(140) + "' where CLI_CODIGO = 2;",
        "", false, false, nullptr,
        "Texto longo demais: a coluna CLI_FANTASIA da tabela CLIENTES (linha de chave EMPRESA = 1, CLI_CODIGO = 2) "
        "tem na ORIGEM um texto de 140 caracteres, e o DESTINO comporta 80.",
        "Encurte esse texto na ORIGEM (ou aumente a coluna no DESTINO) e clique em \"Iniciar\" novamente; a próxima "
        "importação completa o DESTINO."};
    QTest::newRow("NULL for a required column") << TCasoFalha{
        "alter table CLIENTES drop CLI_NOME;\nalter table CLIENTES add CLI_NOME varchar(80);", "", false, false, nullptr,
        "Valor obrigatório ausente: a coluna CLI_NOME da tabela CLIENTES não aceita nulo no DESTINO, e a linha de "
        "chave EMPRESA = 1, CLI_CODIGO = 1 da ORIGEM não tem valor nela.",
        "Preencha essa coluna na ORIGEM"};
    QTest::newRow("duplicate key") << TCasoFalha{
        "", "delete from PEDIDOS;\ndelete from CLIENTES;\ncommit;\n"
            "alter table CLIENTES add constraint UQ_CLIENTES_EMPRESA unique (EMPRESA);",
        false, false, nullptr,
        "Chave repetida: a tabela CLIENTES recebeu duas linhas com o mesmo valor em UQ_CLIENTES_EMPRESA",
        "Exclua ou corrija a linha repetida na ORIGEM"};
    QTest::newRow("CHECK constraint") << TCasoFalha{
        "",
        // A table equal on both sides is kept as it is: this one must differ to be refilled.
        "update EMPRESAS set NOME = NOME || '.';\n"
        "alter table EMPRESAS add constraint CK_EMPRESAS_ATE_3 check (EMPRESA <= 3);",
        false, false, nullptr,
        "Restrição CHECK violada: uma linha da tabela EMPRESAS", "Corrija esse valor na ORIGEM"};
    QTest::newRow("lock held by another user") << TCasoFalha{
        "", "", true, false, nullptr,
        "Bloqueio de outro usuário: outra conexão ao banco de dados mantém bloqueado o que este comando precisa "
        "alterar.",
        "Feche o sistema Vorel e as outras conexões com a ORIGEM e o DESTINO"};
    // The window hears of the run's lines after the run wrote them: enough rows in the first
    // table copied keep the run busy long enough for the window to act while it is still on.
    QTest::newRow("connection lost") << TCasoFalha{
        "set term ^;\nexecute block as declare i integer = 1000; begin while (i < 201000) do begin "
        "insert into CLIENTES (EMPRESA, CLI_CODIGO, CLI_NOME) values (1, :i, 'Cliente ' || :i); "
        "i = i + 1; end end^\nset term ;^\n",
        "", false, false,
        [](const TBancoTeste&, const TBancoTeste& ADestino) {
            TConexao administrador;
            administrador.DefinirBanco(ADestino.Caminho());
            administrador.Executar("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID <> current_connection "
                                  "and coalesce(MON$SYSTEM_FLAG, 0) = 0");
        },
        "Conexão perdida: a ligação com o servidor Firebird (127.0.0.1) caiu ou o banco de dados foi desligado.",
        "Confira se o servidor Firebird está em execução"};
    QTest::newRow("file that is not a database") << TCasoFalha{
        "", "", false, true, nullptr,
        "Arquivo que não é um banco de dados: o arquivo escolhido não é um banco de dados Firebird que este "
        "servidor abra.",
        "Escolha o arquivo .fdb correto e clique em \"Iniciar\" novamente; nada foi alterado."};
}

void TOrientacaoJanelaTest::FailureExplainsWhatHappenedAndWhatToDo()
{
    QFETCH(TCasoFalha, caso);
    TBancoTeste origem("janela-explica-origem");
    TBancoTeste destino("janela-explica-destino");
    if (!caso.ScriptOrigem.empty())
        origem.ExecutarScript(caso.ScriptOrigem);
    if (!caso.ScriptDestino.empty())
        destino.ExecutarScript(caso.ScriptDestino);
    TConexao outroUsuario;
    if (caso.BloqueioNaOrigem) {
        outroUsuario.DefinirBanco(origem.Caminho());
        outroUsuario.IniciarTransacao();
        outroUsuario.Executar("update MARCAS set MAR_ATIVA = null where EMPRESA = 1 and MAR_CODIGO = 2");
    }
    std::string caminhoOrigem = origem.Caminho();
    if (caso.OrigemNaoEBanco) {
        caminhoOrigem = TBancoTeste::Pasta() + "/texto.fdb";
        QFile texto(QString::fromStdString(caminhoOrigem));
        QVERIFY(texto.open(QIODevice::WriteOnly));
        texto.write(QByteArray(8192, 'x'));
    }
    TJanelaTeste f;
    f.Janela.show();
    Preencher(f, caminhoOrigem, destino.Caminho());
    f.Log()->setPlainText("linha anterior");
    if (caso.DuranteCopia)
        NaLinha(f, "Limpando tabela... ", [&] { caso.DuranteCopia(origem, destino); });

    // The check before the run refuses most of these at once; answering "Sim" to going ahead
    // anyway lets the run meet the failure part way, which is what is explained here.
    ResponderSimAsPerguntas();
    QSignalSpy fins(&f.Janela, &TfrmPrincipal::ExecucaoTerminada);
    QTest::mouseClick(f.Iniciar(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return fins.count() >= 1 && !f.Janela.EmExecucao(); }, 300000));
    TDialog::DefinirProximaResposta(TDialog::TResponder());
    outroUsuario.Rollback();

    if (caso.OrigemNaoEBanco) {
        // Told in the general error display, through the message service; the log is untouched.
        QVERIFY(!FCaixas.isEmpty());
        const QStringList linhas = FCaixas.first().split("\r\n");
        QCOMPARE(linhas.value(0), caso.Explicacao);
        QCOMPARE(linhas.value(1), caso.Proximo);
        QVERIFY(FCaixas.first().contains(QString::fromStdString(caminhoOrigem)));
        QCOMPARE(f.Log()->toPlainText(), QString("linha anterior"));
        return;
    }
    const QStringList erro = Textos(f.LinhasLog()).last().split('\n');
    QVERIFY2(erro.size() >= 4, qPrintable(f.LinhasLog().mid(f.LinhasLog().size() - 6).join('\n')));
    QCOMPARE(erro[0], QString("Ocorreu um erro: "));
    QVERIFY2(erro[1].startsWith(caso.Explicacao), qPrintable(erro[1]));
    QVERIFY2(erro[2].startsWith(caso.Proximo), qPrintable(erro[2]));
    QVERIFY2(erro[2].contains("\"Iniciar\" novamente"), qPrintable(erro[2]));
    // The server's own words follow.
    QVERIFY2(erro.mid(3).join('\n').contains(EBancoDados::Prefixo), qPrintable(erro.mid(3).join('\n')));
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QColor(255, 0, 0));
}

void TOrientacaoJanelaTest::StopFromTheWindowEndsWithItsOwnLine()
{
    TBancoTeste origem("janela-parar-origem");
    TBancoTeste destino("janela-parar-destino");
    TJanelaTeste f;
    f.Janela.show();
    Preencher(f, origem.Caminho(), destino.Caminho());
    QString rotuloDurante;
    NaLinha(f, "Importando tabela... ", [&] {
        rotuloDurante = f.Iniciar()->text();
        QTest::mouseClick(f.Iniciar(), Qt::LeftButton);
    });

    QVERIFY(f.ExecutarIniciar());

    QCOMPARE(rotuloDurante, QString("Parar"));
    const QStringList textos = Textos(f.LinhasLog());
    QCOMPARE(textos.last(), QString::fromStdString(TMigracao::LinhaInterrupcao(TEtapaParada::Importacao)));
    QVERIFY(textos.filter("Ocorreu um erro").isEmpty());
    QCOMPARE(f.Log()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    QCOMPARE(f.Iniciar()->text(), QString("Iniciar"));
    QVERIFY(f.Iniciar()->isEnabled());
    QVERIFY(f.Verificar()->isEnabled());
    QVERIFY2(f.Total()->isTextVisible() && f.Total()->text().startsWith("Tempo decorrido: 0:00:"),
             qPrintable(f.Total()->text()));

    // The next run on the same pair completes the destination.
    FCaixas.clear();
    QVERIFY(f.ExecutarIniciar());
    QCOMPARE(Textos(f.LinhasLog()).last(), QString("Importação concluída."));
}

// A table of many rows reports several times while it is copied: rows done of the counted total,
// the share, the rate and the time left; the run's bar gives the time elapsed and what remains.
void TOrientacaoJanelaTest::ProgressWithinATableGivesTotalShareAndEstimate()
{
    constexpr int CLinhas = 150000;
    TBancoTeste origem("janela-progresso-origem");
    TBancoTeste destino("janela-progresso-destino");
    origem.ExecutarScript("set term ^;\nexecute block as declare i integer = 2; begin while (i <= " +
                          std::to_string(CLinhas) +
                          ") do begin insert into PEDIDOS (PEDIDO, EMPRESA, CLI_CODIGO, EMISSAO, TOTAL) values "
                          "(:i, 1, 1, '2026-12-01 10:00:00', :i); i = i + 1; end end^\nset term ;^");
    TJanelaTeste f;
    f.Janela.show();
    Preencher(f, origem.Caminho(), destino.Caminho());
    auto* painel = f.Janela.findChild<TPainelProgresso*>("pnlProgresso");
    QVERIFY(painel);
    QStringList atuais;
    QStringList totais;
    connect(painel, &TPainelProgresso::Atualizado, this, [&](const QString& AAtual, const QString& ATotal) {
        if (AAtual.startsWith("PEDIDOS: ")) {
            atuais << AAtual;
            totais << ATotal;
        }
    });

    QVERIFY(f.ExecutarIniciar());
    QCOMPARE(Textos(f.LinhasLog()).last(), QString("Importação concluída."));

    static const QRegularExpression forma(
        QString("^PEDIDOS: (\\d+) de %1 linhas \\((\\d+)%\\), (\\d+) linhas/s, faltam \\d+:\\d\\d:\\d\\d$").arg(CLinhas));
    QList<qint64> feitas;
    for (const QString& texto : atuais) {
        // Before its first rows, a table has no rate to estimate by.
        if (texto.endsWith(", 0 linhas/s"))
            continue;
        const auto achado = forma.match(texto);
        QVERIFY2(achado.hasMatch(), qPrintable(texto));
        const qint64 linhas = achado.captured(1).toLongLong();
        QCOMPARE(achado.captured(2).toInt(), qRound(100.0 * linhas / CLinhas));
        feitas << linhas;
    }
    std::sort(feitas.begin(), feitas.end());
    feitas.erase(std::unique(feitas.begin(), feitas.end()), feitas.end());
    QVERIFY2(feitas.size() >= 3, qPrintable(atuais.join('\n')));
    QVERIFY(feitas.first() < CLinhas);
    static const QRegularExpression formaTotal("^Tempo decorrido: \\d+:\\d\\d:\\d\\d, restante estimado da cópia: \\d+:\\d\\d:\\d\\d$");
    QVERIFY2(!totais.filter(formaTotal).isEmpty(), qPrintable(totais.join('\n')));

    // At the end the time elapsed stays in view; the step's bar holds no leftover figures.
    QVERIFY(f.Total()->isTextVisible());
    QVERIFY2(QRegularExpression("^Tempo decorrido: \\d+:\\d\\d:\\d\\d$").match(f.Total()->text()).hasMatch(),
             qPrintable(f.Total()->text()));
    QVERIFY(!f.Atual()->isTextVisible());
}

// The log opens with the pair and the date; choosing another file empties it, so that the lines
// of the first pair never stand beside the second pair's paths, even when the second pair is
// refused before its run begins.
void TOrientacaoJanelaTest::LogNamesThePairItBelongsTo()
{
    TBancoTeste origem("janela-par-origem");
    TBancoTeste destino("janela-par-destino");
    TBancoTeste outroDestino("janela-par-outro-destino");
    outroDestino.ExecutarScript("insert into SCRIPTS (NOME) values ('999912_9999.SQL');");
    TJanelaTeste f;
    f.Janela.show();
    Escolher(f, "edtArquivoOrigem", QString::fromStdString(origem.Caminho()));
    Escolher(f, "edtArquivoDestino", QString::fromStdString(destino.Caminho()));
    QVERIFY(f.ExecutarVerificar());
    const QStringList primeiro = Textos(f.LinhasLog());
    QVERIFY(primeiro.size() > 3);
    QVERIFY2(QRegularExpression("^Verificação iniciada em \\d\\d/\\d\\d/\\d{4}\\.$").match(primeiro[0]).hasMatch(),
             qPrintable(primeiro[0]));
    QCOMPARE(primeiro[1], "ORIGEM: " + QString::fromStdString(origem.Caminho()));
    QCOMPARE(primeiro[2], "DESTINO: " + QString::fromStdString(destino.Caminho()));

    Escolher(f, "edtArquivoDestino", QString::fromStdString(outroDestino.Caminho()));
    QCOMPARE(f.Log()->toPlainText(), QString());
    // "Sim" to going on, then the versions' mismatch is only closed.
    ResponderSimAsPerguntas();
    QVERIFY(f.Executar(f.Iniciar()));
    TDialog::DefinirProximaResposta(TDialog::TResponder());
    QCOMPARE(f.Log()->toPlainText(), QString());

    Escolher(f, "edtArquivoDestino", QString::fromStdString(destino.Caminho()));
    QVERIFY(f.ExecutarIniciar());
    const QStringList segundo = Textos(f.LinhasLog());
    QVERIFY2(QRegularExpression("^Importação iniciada em \\d\\d/\\d\\d/\\d{4}\\.$").match(segundo[0]).hasMatch(),
             qPrintable(segundo[0]));
    QCOMPARE(segundo[1], "ORIGEM: " + QString::fromStdString(origem.Caminho()));
    QCOMPARE(segundo[2], "DESTINO: " + QString::fromStdString(destino.Caminho()));
    QCOMPARE(segundo[3], QString("Preenchendo campos do tipo boleano (que estão nulos), na base de origem..."));
    QCOMPARE(segundo.last(), QString("Importação concluída."));
}

// The DESTINO picker does not offer the source's file; its columns read in Portuguese; a file
// gone before it is confirmed is told through the message service; and no completer list stays
// over the window.
void TOrientacaoJanelaTest::PickerOpensOnItsOwnBoxAndLeavesNothingBehind()
{
    TBancoTeste origem("janela-seletor-origem");
    TJanelaTeste f;
    f.Janela.show();
    Escolher(f, "edtArquivoOrigem", QString::fromStdString(origem.Caminho()));
    QString nomeAoAbrir = "?";
    const QString sumido = QDir(QString::fromStdString(TBancoTeste::Pasta())).filePath("sumido.fdb");
    QString aviso;
    QStringList tipos;
    QString data;
    QTimer::singleShot(0, [&] {
        auto* seletor = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(seletor);
        auto* nome = seletor->findChild<QLineEdit*>("fileNameEdit");
        nomeAoAbrir = nome->text();
        // The folder's entries, as the list shows them.
        auto* lista = seletor->findChild<QAbstractItemView*>("treeView");
        QVERIFY(QTest::qWaitFor([&] { return lista->model()->rowCount(lista->rootIndex()) > 0; }, 5000));
        for (int i = 0; i < lista->model()->rowCount(lista->rootIndex()); ++i)
            tipos << lista->model()->index(i, 2, lista->rootIndex()).data().toString();
        data = lista->model()->index(0, 3, lista->rootIndex()).data().toString();
        // Typing brings the completer up; the file is gone by the time it is confirmed.
        QTest::keyClicks(nome, "sumi");
        QFile(sumido).remove();
        TDialog::DefinirProximaResposta([&aviso](TCustomMsgDialog& ADialogo) {
            aviso = ADialogo.findChild<QLabel*>("lblMensagem")->text();
            return static_cast<int>(mrOk);
        });
        nome->setText(sumido);
        static_cast<QDialog*>(seletor)->accept();
        QVERIFY(seletor->isVisible());
        seletor->reject();
    });
    {
        QFile arquivo(sumido);
        QVERIFY(arquivo.open(QIODevice::WriteOnly));
    }
    f.BotaoPasta("edtArquivoDestino")->trigger();

    QCOMPARE(nomeAoAbrir, QString());
    QCOMPARE(aviso, "O arquivo " + QDir::toNativeSeparators(sumido) + " não foi encontrado. Escolha outro arquivo.");
    QVERIFY2(tipos.contains("Banco de dados Firebird"), qPrintable(tipos.join(',')));
    QVERIFY(!tipos.contains("Folder") && !tipos.contains("unknown"));
    QVERIFY2(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$").match(data).hasMatch(), qPrintable(data));
    QCOMPARE(f.Destino()->text(), QString());
    for (QCompleter* completador : f.Janela.findChildren<QCompleter*>())
        QVERIFY(!completador->popup() || !completador->popup()->isVisible());
}

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    TOrientacaoJanelaTest teste;
    return QTest::qExec(&teste, argc, argv);
}

#include "OrientacaoJanelaTest.moc"
