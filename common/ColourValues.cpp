// The arithmetic of colour values, without widgets: shared by the windows and the
// lesson reader (which checks a lesson's colours for contrast).
#include "Colour.h"

#include <algorithm>
#include <cmath>

namespace Colour {

Bgr fromLiteral(const QString &literal)
{
    if (!literal.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const Bgr value = literal.mid(2).toUInt(&ok, 16);
    return ok ? value & 0xFFFFFF : 0;
}

Bgr fromQColor(const QColor &colour)
{
    return Bgr(colour.red()) | Bgr(colour.green()) << 8 | Bgr(colour.blue()) << 16;
}

QColor toQColor(Bgr bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

namespace {

double channel(quint32 value)
{
    const double c = double(value) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

double luminance(Bgr bgr)
{
    return 0.2126 * channel(bgr & 0xFF) + 0.7152 * channel((bgr >> 8) & 0xFF) + 0.0722 * channel((bgr >> 16) & 0xFF);
}

double contrast(Bgr a, Bgr b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace Colour
