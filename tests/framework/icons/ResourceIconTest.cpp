#include "ResourceIcon.h"
#include "ResourceIconEnum.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QtTest>

class TResourceIconTest : public QObject {
    Q_OBJECT

private slots:
    void InstancesFollowTheNamingRuleInOrder();
    void EveryImageIsASquarePngOfItsNamedSize_data();
    void EveryImageIsASquarePngOfItsNamedSize();
    void AssignShowsTheNamedPicture_data();
    void AssignShowsTheNamedPicture();
    void AssignWithNoIconClearsThePreviousPicture_data();
    void AssignWithNoIconClearsThePreviousPicture();
};

void TResourceIconTest::InstancesFollowTheNamingRuleInOrder()
{
    QStringList esperados{QString(), "CLOSE_16"};
    for (const char* tipo : {"ERROR", "ERROR2", "INFO", "OK", "QUESTION", "WARNING"})
        for (int lado : {16, 32, 64, 128, 256})
            esperados << QString("%1_%2").arg(tipo).arg(lado);

    QStringList nomes;
    for (const TResourceIconEnum* icone : TResourceIconEnum::Values())
        nomes << QString::fromStdString(icone->ResourceName());
    QCOMPARE(nomes, esperados);
    QCOMPARE(TResourceIconEnum::Size(), 32);
    QCOMPARE(TResourceIconEnum::riNone().Ordinal(), 0);
    QCOMPARE(TResourceIconEnum::riError2_64().Ordinal(), 9);
    QCOMPARE(TResourceIconEnum::riWarning256().Ordinal(), 31);
}

// The byte layout of a PNG's header chunk: width and height at 16 and 20, then bit depth,
// colour type and, at 28, the interlace method.
void TResourceIconTest::EveryImageIsASquarePngOfItsNamedSize_data()
{
    QTest::addColumn<int>("ordinal");
    for (const TResourceIconEnum* icone : TResourceIconEnum::Values())
        if (icone != &TResourceIconEnum::riNone())
            QTest::newRow(icone->ResourceName().c_str()) << icone->Ordinal();
}

void TResourceIconTest::EveryImageIsASquarePngOfItsNamedSize()
{
    QFETCH(int, ordinal);
    const TResourceIconEnum& icone = TResourceIconEnum::ValueOf(ordinal);
    const QString nome = QString::fromStdString(icone.ResourceName());
    const int lado = nome.section('_', -1).toInt();

    QFile arquivo(TResourceIcon::CaminhoRecurso(icone));
    QVERIFY2(arquivo.open(QIODevice::ReadOnly), qPrintable(nome));
    const QByteArray dados = arquivo.readAll();
    QVERIFY(dados.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(dados.mid(12, 4), QByteArray("IHDR"));
    auto inteiro = [&](int pos) { return (uchar(dados[pos]) << 24) | (uchar(dados[pos + 1]) << 16) | (uchar(dados[pos + 2]) << 8) | uchar(dados[pos + 3]); };
    QCOMPARE(inteiro(16), lado);
    QCOMPARE(inteiro(20), lado);
    QCOMPARE(int(uchar(dados[24])), 8);
    const int tipoCor = &icone == &TResourceIconEnum::riClose16() ? 3 : 6;
    QCOMPARE(int(uchar(dados[25])), tipoCor);
    QCOMPARE(int(uchar(dados[28])), 0);
}

void TResourceIconTest::AssignShowsTheNamedPicture_data()
{
    QTest::addColumn<const TResourceIconEnum*>("icone");
    QTest::addColumn<int>("lado");
    QTest::newRow("riError64") << &TResourceIconEnum::riError64() << 64;
    QTest::newRow("riClose16") << &TResourceIconEnum::riClose16() << 16;
    QTest::newRow("riWarning256") << &TResourceIconEnum::riWarning256() << 256;
}

void TResourceIconTest::AssignShowsTheNamedPicture()
{
    QFETCH(const TResourceIconEnum*, icone);
    QFETCH(int, lado);
    QLabel imagem;
    TResourceIcon::AssignImageFromResource(&imagem, icone);
    QCOMPARE(imagem.pixmap().size(), QSize(lado, lado));
}

void TResourceIconTest::AssignWithNoIconClearsThePreviousPicture_data()
{
    QTest::addColumn<const TResourceIconEnum*>("icone");
    QTest::newRow("riNone") << &TResourceIconEnum::riNone();
    QTest::newRow("nullptr") << static_cast<const TResourceIconEnum*>(nullptr);
}

void TResourceIconTest::AssignWithNoIconClearsThePreviousPicture()
{
    QFETCH(const TResourceIconEnum*, icone);
    QLabel imagem;
    TResourceIcon::AssignImageFromResource(&imagem, &TResourceIconEnum::riInfo32());
    QVERIFY(!imagem.pixmap().isNull());
    TResourceIcon::AssignImageFromResource(&imagem, icone);
    QVERIFY(imagem.pixmap().isNull());
}

QTEST_MAIN(TResourceIconTest)
#include "ResourceIconTest.moc"
