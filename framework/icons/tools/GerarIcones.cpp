// Paints the tool's built-in icons and writes them as PNG files into the folder given as the
// first argument (framework/icons/imagens), and, when a second folder is given (app/imagens),
// the main window's own pictures there. Run by hand when a picture changes; the PNG files are
// committed and built into the executable from there.
//
// Every picture is drawn on a 256 x 256 canvas and scaled by the painter to the size written,
// so all sizes of one kind show the same shapes.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

using TDesenho = std::function<void(QPainter&)>;

// A round badge with a darker rim, a vertical shading and a gloss over its upper half.
void DesenharMedalha(QPainter& p, const QColor& claro, const QColor& escuro)
{
    p.setPen(Qt::NoPen);
    p.setBrush(escuro.darker(135));
    p.drawEllipse(QRectF(8, 8, 240, 240));

    QRadialGradient corpo(QPointF(128, 96), 150);
    corpo.setColorAt(0.0, claro);
    corpo.setColorAt(1.0, escuro);
    p.setBrush(corpo);
    p.drawEllipse(QRectF(18, 18, 220, 220));

    QLinearGradient brilho(QPointF(0, 24), QPointF(0, 136));
    brilho.setColorAt(0.0, QColor(255, 255, 255, 190));
    brilho.setColorAt(1.0, QColor(255, 255, 255, 20));
    p.setBrush(brilho);
    p.drawEllipse(QRectF(46, 26, 164, 108));
}

void DesenharCruz(QPainter& p, const QColor& cor, double largura)
{
    QPen caneta(cor, largura, Qt::SolidLine, Qt::RoundCap);
    p.setPen(caneta);
    p.drawLine(QPointF(84, 84), QPointF(172, 172));
    p.drawLine(QPointF(172, 84), QPointF(84, 172));
}

void DesenharExclamacao(QPainter& p, const QColor& cor, double topo, double base, double largura)
{
    p.setPen(QPen(cor, largura, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, topo), QPointF(128, base));
    p.setPen(Qt::NoPen);
    p.setBrush(cor);
    p.drawEllipse(QPointF(128, base + largura * 1.25), largura * 0.55, largura * 0.55);
}

void Erro(QPainter& p)
{
    DesenharMedalha(p, QColor(255, 96, 84), QColor(176, 16, 16));
    DesenharCruz(p, Qt::white, 34);
}

void Erro2(QPainter& p)
{
    DesenharMedalha(p, QColor(255, 150, 70), QColor(206, 52, 10));
    DesenharExclamacao(p, Qt::white, 62, 146, 34);
}

void Informacao(QPainter& p)
{
    DesenharMedalha(p, QColor(110, 180, 255), QColor(18, 76, 178));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(128, 74), 20, 20);
    p.setPen(QPen(Qt::white, 36, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(128, 118), QPointF(128, 190));
}

void Pergunta(QPainter& p)
{
    DesenharMedalha(p, QColor(110, 180, 255), QColor(18, 76, 178));
    QPainterPath gancho;
    gancho.moveTo(90, 96);
    gancho.cubicTo(90, 52, 166, 50, 166, 96);
    gancho.cubicTo(166, 124, 128, 124, 128, 152);
    p.setPen(QPen(Qt::white, 30, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(gancho);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(128, 192), 18, 18);
}

void Ok(QPainter& p)
{
    p.setPen(Qt::NoPen);
    QRadialGradient anel(QPointF(128, 100), 150);
    anel.setColorAt(0.0, QColor(120, 212, 96));
    anel.setColorAt(1.0, QColor(34, 128, 34));
    p.setBrush(anel);
    p.drawEllipse(QRectF(8, 8, 240, 240));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(40, 40, 176, 176));
    p.setPen(QPen(QColor(24, 72, 24), 30, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath visto;
    visto.moveTo(82, 130);
    visto.lineTo(116, 164);
    visto.lineTo(176, 94);
    p.setBrush(Qt::NoBrush);
    p.drawPath(visto);
}

void Aviso(QPainter& p)
{
    QPainterPath triangulo;
    triangulo.moveTo(128, 20);
    triangulo.lineTo(244, 226);
    triangulo.lineTo(12, 226);
    triangulo.closeSubpath();
    QLinearGradient corpo(QPointF(0, 20), QPointF(0, 226));
    corpo.setColorAt(0.0, QColor(255, 236, 110));
    corpo.setColorAt(1.0, QColor(244, 188, 20));
    p.setPen(QPen(QColor(176, 124, 0), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(corpo);
    p.drawPath(triangulo);
    DesenharExclamacao(p, Qt::black, 92, 164, 26);
}

void Fechar(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(104, 104, 104));
    p.drawEllipse(QRectF(8, 8, 240, 240));
    p.setBrush(QColor(176, 176, 176));
    p.drawEllipse(QRectF(28, 28, 200, 200));
    DesenharCruz(p, QColor(64, 64, 64), 40);
}

// An open yellow folder: the back with its tab, a sheet of paper, the front flap tilted open.
void PastaAberta(QPainter& p)
{
    const QColor contorno(150, 104, 8);
    p.setPen(QPen(contorno, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath fundo;
    fundo.moveTo(16, 212);
    fundo.lineTo(16, 52);
    fundo.lineTo(92, 52);
    fundo.lineTo(112, 76);
    fundo.lineTo(212, 76);
    fundo.lineTo(212, 212);
    fundo.closeSubpath();
    p.setBrush(QColor(226, 170, 40));
    p.drawPath(fundo);

    p.setPen(QPen(QColor(160, 160, 160), 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(44, 96, 148, 100));

    QPainterPath frente;
    frente.moveTo(16, 212);
    frente.lineTo(60, 116);
    frente.lineTo(244, 116);
    frente.lineTo(212, 212);
    frente.closeSubpath();
    QLinearGradient cor(QPointF(0, 116), QPointF(0, 212));
    cor.setColorAt(0.0, QColor(255, 226, 120));
    cor.setColorAt(1.0, QColor(244, 190, 52));
    p.setPen(QPen(contorno, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(cor);
    p.drawPath(frente);
}

QImage Pintar(const TDesenho& desenho, int lado)
{
    QImage imagem(lado, lado, QImage::Format_ARGB32);
    imagem.fill(Qt::transparent);
    QPainter p(&imagem);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(lado / 256.0, lado / 256.0);
    desenho(p);
    p.end();
    return imagem;
}

// A small picture becomes a palette image holding exactly its own colours, alpha included.
QImage ComPaleta(const QImage& imagem)
{
    QList<QRgb> paleta;
    for (int y = 0; y < imagem.height(); ++y)
        for (int x = 0; x < imagem.width(); ++x)
            if (!paleta.contains(imagem.pixel(x, y)))
                paleta.append(imagem.pixel(x, y));
    if (paleta.size() > 256)
        throw std::runtime_error("more than 256 colours for a palette image");

    QImage indexada(imagem.size(), QImage::Format_Indexed8);
    indexada.setColorTable(paleta);
    for (int y = 0; y < imagem.height(); ++y)
        for (int x = 0; x < imagem.width(); ++x)
            indexada.setPixel(x, y, static_cast<uint>(paleta.indexOf(imagem.pixel(x, y))));
    return indexada;
}

void Gravar(const QImage& imagem, const QDir& pasta, const QString& nome)
{
    QImageWriter escritor(pasta.filePath(nome + ".png"), "png");
    if (!escritor.write(imagem))
        throw std::runtime_error(("cannot write " + nome + ": " + escritor.errorString()).toStdString());
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication aplicacao(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s ICONS_FOLDER [WINDOW_IMAGES_FOLDER]\n", argv[0]);
        return 2;
    }
    const QDir pasta(QString::fromLocal8Bit(argv[1]));
    try {
        Gravar(ComPaleta(Pintar(Fechar, 16)), pasta, "CLOSE_16");
        const std::vector<std::pair<QString, TDesenho>> tipos{
            {"ERROR", Erro}, {"ERROR2", Erro2}, {"INFO", Informacao},
            {"OK", Ok},      {"QUESTION", Pergunta}, {"WARNING", Aviso},
        };
        for (const auto& [tipo, desenho] : tipos)
            for (int lado : {16, 32, 64, 128, 256})
                Gravar(Pintar(desenho, lado), pasta, tipo + "_" + QString::number(lado));
        if (argc == 3)
            Gravar(Pintar(PastaAberta, 16), QDir(QString::fromLocal8Bit(argv[2])), "PASTA_ABERTA_16");
    } catch (const std::exception& erro) {
        std::fprintf(stderr, "%s\n", erro.what());
        return 1;
    }
    return 0;
}
