#include "EstiloVisual.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <memory>
#include <stdexcept>

namespace {

QByteArray LerRecurso(const QString& ACaminho)
{
    QFile arquivo(ACaminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error("recurso " + ACaminho.toStdString() + " ausente");
    return arquivo.readAll();
}

// "paleta" maps role names of QPalette (Window, Text, ...) to colours; "desativado" the same
// for disabled controls.
void LerCores(const QJsonObject& ACores, QPalette::ColorGroup AGrupo, QPalette& APaleta)
{
    const QMetaEnum papeis = QMetaEnum::fromType<QPalette::ColorRole>();
    for (auto item = ACores.begin(); item != ACores.end(); ++item) {
        bool existe = false;
        const int papel = papeis.keyToValue(item.key().toLatin1().constData(), &existe);
        const QColor cor = QColor::fromString(item.value().toString());
        if (!existe || !cor.isValid())
            throw std::runtime_error("cor inválida: " + item.key().toStdString());
        APaleta.setColor(AGrupo, static_cast<QPalette::ColorRole>(papel), cor);
    }
}

} // namespace

void TEstiloVisual::Aplicar(QApplication& AAplicacao, const QString& ANome)
{
    try {
        const QString base = QStringLiteral(":/vorel/estilos/") + ANome;
        QJsonParseError erroJson;
        const QJsonDocument definicao = QJsonDocument::fromJson(LerRecurso(base + ".json"), &erroJson);
        if (!definicao.isObject())
            throw std::runtime_error(erroJson.errorString().toStdString());
        const QJsonObject raiz = definicao.object();
        const QString folha = QString::fromUtf8(LerRecurso(base + ".qss"));

        std::unique_ptr<QStyle> estilo(QStyleFactory::create(raiz.value("estiloBase").toString()));
        if (!estilo)
            throw std::runtime_error("estilo base ausente");
        QPalette paleta = estilo->standardPalette();
        LerCores(raiz.value("paleta").toObject(), QPalette::All, paleta);
        LerCores(raiz.value("desativado").toObject(), QPalette::Disabled, paleta);

        QApplication::setStyle(estilo.release());
        QApplication::setPalette(paleta);
        AAplicacao.setStyleSheet(folha);
    } catch (const std::exception& erro) {
        throw std::runtime_error("Não foi possível aplicar o estilo visual \"" + ANome.toStdString() +
                                 "\" (" + erro.what() + "). O visual padrão do sistema será usado.");
    }
}
