#include "Pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace Pictures {

QPixmap pixmap(const QString &resource, QSize size, qreal pixelRatio)
{
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || size.isEmpty())
        return {};
    QPixmap picture(size * pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

QIcon icon(const QString &resource, std::initializer_list<int> sizes, qreal pixelRatio)
{
    QIcon result;
    for (int side : sizes)
        result.addPixmap(pixmap(resource, {side, side}, pixelRatio));
    return result;
}

QIcon programIcon()
{
    return icon(QStringLiteral(":/resources/bimbala.svg"), {16, 32, 48});
}

} // namespace Pictures
