#include "Aplicacao.h"

#include "CaixaMensagem.h"
#include "SilentAbort.h"

#include <QLibraryInfo>
#include <QLocale>

#include <stdexcept>

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(TCaixaMensagem::TituloAplicacao());
    CarregarTraducoes();
}

// Without the translations the tool still works, in Qt's English: a warning says why.
void TAplicacao::CarregarTraducoes()
{
    const QString pasta = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!FTraducaoQt.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                          QStringLiteral("_"), pasta)) {
        qWarning("Qt's Brazilian Portuguese translations were not found in %s", qPrintable(pasta));
        return;
    }
    installTranslator(&FTraducaoQt);
}

bool TAplicacao::notify(QObject* AReceptor, QEvent* AEvento)
{
    try {
        return QApplication::notify(AReceptor, AEvento);
    } catch (...) {
        ExibirErro(std::current_exception());
        return false;
    }
}

void TAplicacao::ExibirErro(std::exception_ptr AErro)
{
    try {
        std::rethrow_exception(AErro);
    } catch (const ESilentAbort&) {
    } catch (const std::exception& erro) {
        TCaixaMensagem::MostrarErro(QString::fromUtf8(erro.what()));
    } catch (...) {
        TCaixaMensagem::MostrarErro(QStringLiteral("Ocorreu um erro inesperado."));
    }
}
