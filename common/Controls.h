#pragma once

#include "Colour.h"

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Controls placed as designed: designer name as objectName, rectangle in twips.
namespace Controls {

QPushButton *button(QWidget &parent, const QString &name, const QString &caption, const QRect &twips,
                    const QFont &font);
QLabel *label(QWidget &parent, const QString &name, const QString &caption, const QRect &twips, const QFont &font);
QLabel *label(QWidget &parent, const QString &name, const QString &caption, const QRect &twips, const QFont &font,
              Bgr back, Bgr fore);
// Places an already created control.
void place(QWidget &control, const QString &name, const QRect &twips);

} // namespace Controls
