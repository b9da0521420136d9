#include "Controls.h"

#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace Controls {

void place(QWidget &control, const QString &name, const QRect &twips)
{
    control.setObjectName(name);
    control.setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
}

QPushButton *button(QWidget &parent, const QString &name, const QString &caption, const QRect &twips,
                    const QFont &font)
{
    auto *control = new QPushButton(caption, &parent);
    place(*control, name, twips);
    control->setFont(font);
    control->setAutoDefault(false);
    return control;
}

QLabel *label(QWidget &parent, const QString &name, const QString &caption, const QRect &twips, const QFont &font)
{
    auto *control = new QLabel(caption, &parent);
    place(*control, name, twips);
    control->setFont(font);
    control->setTextFormat(Qt::PlainText);
    control->setWordWrap(true);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

QLabel *label(QWidget &parent, const QString &name, const QString &caption, const QRect &twips, const QFont &font,
              Bgr back, Bgr fore)
{
    QLabel *control = label(parent, name, caption, twips, font);
    Colour::setBackColor(control, back);
    Colour::setForeColor(control, fore);
    return control;
}

} // namespace Controls
