#include "Form.h"

#include <QCloseEvent>

FormWidget::FormWidget(std::function<void()> closeRequested) : closeRequested(std::move(closeRequested))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FormWidget::detach()
{
    closeRequested = nullptr;
    blockSignals(true);
    for (QObject *child : findChildren<QObject *>())
        child->blockSignals(true);
}

void FormWidget::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (closeRequested)
        closeRequested();
}

Form::Form(QString name) : formName(std::move(name)) {}

Form::~Form()
{
    delete widget;
}

void Form::Show()
{
    if (!widget) {
        widget = new FormWidget([this] { closeRequested(); });
        widget->setObjectName(formName);
        build(*widget);
        Form_Load();
    }
    showWindow();
}

void Form::showWindow()
{
    if (widget && !widget->isVisible()) {
        widget->show();
        widget->activateWindow();
    }
}

void Form::Unload()
{
    if (!widget)
        return;
    Form_Unload();
    FormWidget *leaving = widget;
    widget = nullptr;
    leaving->hide();
    // The unload may be asked for from inside one of the window's own handlers,
    // so the widgets go at the next turn of the event loop, possibly after this
    // form: until then nothing they report (a late focus change) may reach it.
    leaving->detach();
    leaving->deleteLater();
    if (afterUnload)
        afterUnload();
}
