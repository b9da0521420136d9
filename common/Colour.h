#pragma once

#include <QColor>
#include <QString>

class QWidget;

// Colours are kept as 24-bit 0xBBGGRR numbers, the form in which the colour
// table is written and in which gap boxes are compared; QColor is only for painting.
using Bgr = quint32;

namespace Colour {

constexpr Bgr Black = 0x000000;
constexpr Bgr White = 0xFFFFFF;

// "&H7799cc" -> 0x7799CC; anything unreadable is 0 (black), as an empty colour is.
Bgr fromLiteral(const QString &literal);
QColor toQColor(Bgr bgr);

// Colour properties of a control, stored on it as numbers and applied to its palette.
void setBackColor(QWidget *control, Bgr bgr);
void setForeColor(QWidget *control, Bgr bgr);
Bgr backColor(const QWidget *control);
Bgr foreColor(const QWidget *control);

} // namespace Colour
