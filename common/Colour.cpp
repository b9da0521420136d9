#include "Colour.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace {

const char *const BackColorProperty = "BackColor";
const char *const ForeColorProperty = "ForeColor";

bool isTextEntry(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QAbstractScrollArea *>(control);
}

} // namespace

namespace Colour {

Bgr fromLiteral(const QString &literal)
{
    if (!literal.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const Bgr value = literal.mid(2).toUInt(&ok, 16);
    return ok ? value & 0xFFFFFF : 0;
}

QColor toQColor(Bgr bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void setBackColor(QWidget *control, Bgr bgr)
{
    control->setProperty(BackColorProperty, bgr);
    QPalette palette = control->palette();
    const QColor colour = toQColor(bgr);
    if (isTextEntry(control)) {
        palette.setColor(QPalette::Base, colour);
    } else if (qobject_cast<QAbstractButton *>(control)) {
        palette.setColor(QPalette::Button, colour);
    } else {
        palette.setColor(QPalette::Window, colour);
        control->setAutoFillBackground(true);
    }
    control->setPalette(palette);
}

void setForeColor(QWidget *control, Bgr bgr)
{
    control->setProperty(ForeColorProperty, bgr);
    QPalette palette = control->palette();
    const QColor colour = toQColor(bgr);
    if (isTextEntry(control))
        palette.setColor(QPalette::Text, colour);
    else if (qobject_cast<QAbstractButton *>(control))
        palette.setColor(QPalette::ButtonText, colour);
    else
        palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

Bgr backColor(const QWidget *control) { return control->property(BackColorProperty).toUInt(); }
Bgr foreColor(const QWidget *control) { return control->property(ForeColorProperty).toUInt(); }

} // namespace Colour
