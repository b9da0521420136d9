// Renders an SVG picture into a PNG file of the given size, at build time: the splash is
// drawn from these, so that the program does not load its SVG renderer before the splash
// is on screen.
// Usage: bimbala_render_svg IN.svg OUT.png SIDE
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.svg OUT.png SIDE\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    const int side = QString::fromLocal8Bit(argv[3]).toInt();
    if (!renderer.isValid() || side <= 0) {
        std::fprintf(stderr, "%s: cannot render %s\n", argv[0], argv[1]);
        return 1;
    }
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
