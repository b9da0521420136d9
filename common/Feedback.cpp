#include "Feedback.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void MessageBoxFeedback::message(QWidget *parent, const QString &text, Style style, const QString &title)
{
    QMessageBox box(style == Information ? QMessageBox::Information : QMessageBox::Warning, title,
                    QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool MessageBoxFeedback::confirm(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString MessageBoxFeedback::saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                                         const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

QString MessageBoxFeedback::openFileName(QWidget *parent, const QString &title, const QString &folder,
                                         const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString MessageBoxFeedback::password(QWidget *parent, const QString &title, const QString &question)
{
    return QInputDialog::getText(parent, title, question, QLineEdit::Password);
}

void MessageBoxFeedback::beep()
{
    QApplication::beep();
}

Feedback::Unsaved MessageBoxFeedback::unsavedChanges(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save: return Unsaved::Save;
    case QMessageBox::Discard: return Unsaved::Discard;
    default: return Unsaved::Cancel;
    }
}
