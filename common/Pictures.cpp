#include "Pictures.h"
#include "RasterPicture.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace Pictures {

namespace {

QPixmap drawn(QSvgRenderer &renderer, QSize size, qreal pixelRatio)
{
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

// A PNG or JPEG picture, scaled smoothly to fit `size` whole and centred in it: a photo
// of another shape than its frame keeps its proportions.
QPixmap drawn(const QImage &image, QSize size, qreal pixelRatio)
{
    if (image.isNull() || size.isEmpty())
        return {};
    const QSize frame = size * pixelRatio;
    const QImage scaled = image.scaled(frame, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap picture(frame);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawImage(QPoint((frame.width() - scaled.width()) / 2, (frame.height() - scaled.height()) / 2), scaled);
    painter.end();
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

} // namespace

QPixmap pixmap(const QString &resource, QSize size, qreal pixelRatio)
{
    QSvgRenderer renderer(resource);
    return drawn(renderer, size, pixelRatio);
}

QPixmap pixmap(const QByteArray &picture, QSize size, qreal pixelRatio)
{
    if (RasterPicture::format(picture) != RasterPicture::Format::None)
        return drawn(RasterPicture::decode(picture).image, size, pixelRatio);
    QSvgRenderer renderer(picture);
    return drawn(renderer, size, pixelRatio);
}

QIcon icon(const QString &resource, std::initializer_list<int> sizes, qreal pixelRatio)
{
    // One icon object per picture and size: the style caches what it draws of an
    // icon under the icon's identity, so a new icon at every window load would
    // fill that cache anew each time.
    static QHash<QString, QIcon> made;
    QString key = resource + QLatin1Char('@') + QString::number(pixelRatio);
    for (int side : sizes)
        key += QLatin1Char(' ') + QString::number(side);
    QIcon &result = made[key];
    if (result.isNull()) {
        for (int side : sizes)
            result.addPixmap(pixmap(resource, {side, side}, pixelRatio));
    }
    return result;
}

QPixmap prerendered(const QString &name, QSize size, qreal pixelRatio)
{
    const QImage drawn(QStringLiteral(":/prerendered/%1.png").arg(name));
    if (drawn.isNull() || size.isEmpty())
        return {};
    QPixmap picture = QPixmap::fromImage(drawn.scaled(size * pixelRatio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(pixelRatio);
    return picture;
}

QIcon prerenderedIcon(const QString &name, int side, qreal pixelRatio)
{
    return QIcon(prerendered(name, {side, side}, pixelRatio));
}

QIcon programIcon()
{
    return icon(QStringLiteral(":/resources/bimbala.svg"), {16, 32, 48});
}

} // namespace Pictures
