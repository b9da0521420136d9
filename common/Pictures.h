#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The pictures are SVG files compiled into the program. They are drawn straight
// into pixmaps of the size they are shown at: quicker at start-up than loading
// the SVG icon engine, and crisp on any screen.
namespace Pictures {

// `size` in logical pixels; an empty pixmap when the picture cannot be read.
QPixmap pixmap(const QString &resource, QSize size, qreal pixelRatio = 1.0);
// The same for a picture in hand, as a lesson brings it: SVG, PNG or JPEG. A PNG or JPEG
// is decoded within RasterPicture's limits and shown whole, centred, in its proportions.
QPixmap pixmap(const QByteArray &picture, QSize size, qreal pixelRatio = 1.0);
// An icon drawn at the given sizes only (square, in logical pixels).
QIcon icon(const QString &resource, std::initializer_list<int> sizes, qreal pixelRatio = 1.0);
// The program's own icon, in the sizes title bars and task bars ask for.
QIcon programIcon();
// A picture of the splash, drawn from its SVG when the program was built (so that the SVG
// renderer is not loaded before the splash is on screen), scaled to `size`.
QPixmap prerendered(const QString &name, QSize size, qreal pixelRatio = 1.0);
QIcon prerenderedIcon(const QString &name, int side, qreal pixelRatio = 1.0);

} // namespace Pictures
