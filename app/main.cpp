#include "Aplicacao.h"
#include "Dialog.h"
#include "EstiloVisual.h"
#include "LocalidadeUtf8.h"
#include "ObjectsAssigner.h"
#include "frmPrincipal.h"

#include <QString>

#include <exception>

int main(int argc, char** argv)
{
    TAplicacao aplicacao(argc, argv);
    RegisterDefaultAssignments();
    // After the application, which takes the environment's locale as it is.
    AdotarLocalidadeUtf8();

    try {
        TEstiloVisual::Aplicar(aplicacao, QStringLiteral("Carbon"));
    } catch (const std::exception& erro) {
        TDialog::Error(QString::fromUtf8(erro.what()), true);
    }

    TfrmPrincipal frmPrincipal;
    frmPrincipal.showMaximized();
    return aplicacao.exec();
}
