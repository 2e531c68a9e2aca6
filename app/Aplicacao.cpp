#include "Aplicacao.h"

#include "CaixaMensagem.h"
#include "SilentAbort.h"

#include <stdexcept>

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(TCaixaMensagem::TituloAplicacao());
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
