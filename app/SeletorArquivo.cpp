#include "SeletorArquivo.h"

#include "Dialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>

namespace {

constexpr int CColunaData = 3;

QLocale Portugues()
{
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

// The type column in Portuguese: the system's MIME comments know nothing of *.fdb ("unknown")
// and Qt's translations leave "Folder" as it is.
class TProvedorIcones : public QFileIconProvider {
public:
    QString type(const QFileInfo& AInfo) const override
    {
        if (AInfo.isRoot())
            return QStringLiteral("Unidade");
        if (AInfo.isDir())
            return QStringLiteral("Pasta");
        if (AInfo.suffix().compare(QStringLiteral("fdb"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Banco de dados Firebird");
        return AInfo.suffix().isEmpty() ? QStringLiteral("Arquivo")
                                        : QStringLiteral("Arquivo %1").arg(AInfo.suffix().toUpper());
    }
};

// The date column in the Brazilian form, whatever the system's locale says: the file model
// formats it with the system's.
class TDatasEmPortugues : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& AIndice, int APapel) const override
    {
        auto* arquivos = qobject_cast<QFileSystemModel*>(sourceModel());
        if (APapel == Qt::DisplayRole && AIndice.column() == CColunaData && arquivos)
            return Portugues().toString(arquivos->lastModified(mapToSource(AIndice)), QLocale::ShortFormat);
        return QIdentityProxyModel::data(AIndice, APapel);
    }
};

// The dialog of one choice.
class TDialogoArquivo : public QFileDialog {
public:
    explicit TDialogoArquivo(QWidget* AParent) : QFileDialog(AParent)
    {
        setObjectName(QStringLiteral("FileOpenDialog1"));
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFile);
        setAcceptMode(QFileDialog::AcceptOpen);
        setNameFilter(QStringLiteral("Firebird (*.fdb)"));
        setLocale(Portugues());
        setIconProvider(&FIcones);
        setProxyModel(new TDatasEmPortugues(this));
    }

protected:
    // A file deleted or renamed while the picker was open, or a name typed that does not
    // exist: the message service says so in Portuguese, and the picker stays open.
    void accept() override
    {
        const QStringList arquivos = selectedFiles();
        if (!arquivos.isEmpty() && !QFileInfo::exists(arquivos.first())) {
            TDialog::Warning(QStringLiteral("O arquivo %1 não foi encontrado. Escolha outro arquivo.")
                                 .arg(QDir::toNativeSeparators(arquivos.first())),
                             true);
            return;
        }
        QFileDialog::accept();
    }

private:
    TProvedorIcones FIcones;
};

} // namespace

TSeletorArquivo::TSeletorArquivo(QWidget* AJanela) : QObject(AJanela), FJanela(AJanela)
{
    setObjectName(QStringLiteral("FileOpenDialog1"));
}

QString TSeletorArquivo::Escolher(const QString& ATitulo, const QString& AAtual)
{
    TDialogoArquivo dialogo(FJanela);
    dialogo.setWindowTitle(ATitulo);
    const QFileInfo atual(AAtual);
    if (!AAtual.isEmpty() && atual.exists())
        dialogo.selectFile(atual.absoluteFilePath());
    else if (!FPastaUltima.isEmpty())
        dialogo.setDirectory(FPastaUltima);
    const bool aceito = dialogo.exec() == QDialog::Accepted && !dialogo.selectedFiles().isEmpty();
    // The name box's completer may still show its list, which would stay over the window.
    for (QCompleter* completador : dialogo.findChildren<QCompleter*>())
        if (completador->popup())
            completador->popup()->hide();
    if (!aceito)
        return {};
    const QString arquivo = dialogo.selectedFiles().first();
    FPastaUltima = QFileInfo(arquivo).absolutePath();
    return arquivo;
}
