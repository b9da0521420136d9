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
Bgr fromQColor(const QColor &colour);

// The designed colours of a control, kept as numbers beside it (gone with it) and applied
// to its palette. The numbers stay as designed in every mode; only what is painted may differ.
void setBackColor(QWidget *control, Bgr bgr);
void setForeColor(QWidget *control, Bgr bgr);
Bgr backColor(const QWidget *control);
Bgr foreColor(const QWidget *control);

// The relative luminance of a colour (WCAG 2), from 0 (black) to 1 (white).
double luminance(Bgr bgr);
// The contrast ratio of two colours (WCAG 2), from 1 to 21.
double contrast(Bgr a, Bgr b);
// Readable text needs this much contrast to its background.
inline constexpr double ReadableContrast = 4.5;

// Clear colours: wherever the designed pair falls short of ReadableContrast, the
// text changes and the ground stays: dark text takes a darker shade of its own hue,
// light text turns black (white on a ground too dark for black).
void setClearColours(bool on);
bool clearColours();
// The text colour painted for a designed text/background pair in the current mode.
Bgr paintedText(Bgr fore, Bgr back);
// Paints again every control that has colours of its own, after the mode changed.
void repaintAll();

} // namespace Colour

// The learner's choice of clear colours, kept between runs of the program.
void LoadClearColours();
void SetClearColours(bool on);
