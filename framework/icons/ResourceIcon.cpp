#include "ResourceIcon.h"

#include "ResourceIconEnum.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QString>

#include <stdexcept>

QString TResourceIcon::CaminhoRecurso(const TResourceIconEnum& AResource)
{
    return QStringLiteral(":/vorel/icons/") + QString::fromStdString(AResource.ResourceName());
}

void TResourceIcon::AssignImageFromResource(QLabel* AImage, const TResourceIconEnum* AResource)
{
    if (AImage == nullptr)
        throw std::invalid_argument("AssignImageFromResource needs an image control");
    AImage->clear();
    if (AResource == nullptr || TResourceIconEnum::riNone().Equals(AResource))
        return;

    QImageReader leitor(CaminhoRecurso(*AResource), "png");
    const QImage imagem = leitor.read();
    if (imagem.isNull())
        throw std::runtime_error("Não foi possível carregar a imagem \"" + AResource->ResourceName() +
                                 "\" dos recursos do programa: " + leitor.errorString().toStdString());
    AImage->setPixmap(QPixmap::fromImage(imagem));
}
