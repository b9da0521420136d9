#include "Feedback.h"

#include <QApplication>
#include <QMessageBox>

void MessageBoxFeedback::message(QWidget *parent, const QString &text, Style style, const QString &title)
{
    QMessageBox box(style == Information ? QMessageBox::Information : QMessageBox::Warning, title,
                    QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MessageBoxFeedback::beep()
{
    QApplication::beep();
}
