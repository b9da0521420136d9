#include "Form.h"

#include <QCloseEvent>

FormWidget::FormWidget(std::function<void()> closeRequested) : closeRequested(std::move(closeRequested))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
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
    // The unload may be asked for from inside one of the window's own handlers.
    leaving->deleteLater();
    if (afterUnload)
        afterUnload();
}
