#include "Form.h"

#include <QAbstractButton>
#include <QList>
#include <QStandardPaths>

#include <algorithm>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

FormWidget::FormWidget(std::function<void()> closeRequested, std::function<void()> activated)
    : closeRequested(std::move(closeRequested)), activated(std::move(activated))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FormWidget::detach()
{
    closeRequested = nullptr;
    activated = nullptr;
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

void FormWidget::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto *button = qobject_cast<QAbstractButton *>(focusWidget());
    if (enter && button && button->isEnabled() && button->isVisible() && !event->isAutoRepeat()) {
        event->accept();
        button->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void FormWidget::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && activated)
        activated();
}

void Form::followReadingOrder(QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        // A popup's insides (a combo box's list) belong to another window.
        if ((control->focusPolicy() & Qt::TabFocus) && !control->focusProxy() && control->window() == &window)
            controls << control;
    }
    const auto place = [&window](const QWidget *control) { return QRect(control->mapTo(&window, QPoint()), control->size()); };
    std::stable_sort(controls.begin(), controls.end(), [&](QWidget *a, QWidget *b) { return place(a).top() < place(b).top(); });
    QList<QWidget *> ordered;
    for (qsizetype start = 0; start < controls.size();) {
        const QRect first = place(controls[start]);
        qsizetype end = start + 1;
        while (end < controls.size() && place(controls[end]).top() < first.bottom())
            ++end;
        QList<QWidget *> row = controls.mid(start, end - start);
        std::stable_sort(row.begin(), row.end(), [&](QWidget *a, QWidget *b) { return place(a).left() < place(b).left(); });
        ordered << row;
        start = end;
    }
    for (qsizetype i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1], ordered[i]);
}

Form::Form(QString name) : formName(std::move(name)) {}

Form::~Form()
{
    delete widget;
}

void Form::Show()
{
    if (widget) {
        showWindow();
        Form_Activate();
        return;
    }
    widget = new FormWidget([this] { closeRequested(); }, [this] { Form_Activate(); });
    widget->setObjectName(formName);
    build(*widget);
    arrangeTabOrder(*widget);
    Form_Load();
    showWindow();
}

void Form::showWindow()
{
    if (!widget)
        return;
    // A window already open but covered or minimised comes to the front, as on any desktop.
    if (widget->isMinimized())
        widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
    const bool alreadyOpen = widget->isVisible();
    widget->show();
    if (alreadyOpen)
        widget->raise();
    widget->activateWindow();
}

void Form::runModal(const std::function<void()> &step)
{
    ++modalDepth;
    step();
    endModalStep();
}

std::shared_ptr<void> Form::holdModal()
{
    ++modalDepth;
    return std::shared_ptr<void>(nullptr, [this](void *) { endModalStep(); });
}

void Form::endModalStep()
{
    --modalDepth;
    // What waited for the box runs once the handler that opened it has finished:
    // that handler may still go on with the window's controls.
    if (!modalOpen() && !afterModal.empty() && widget)
        QTimer::singleShot(0, widget, [this] { runAfterModal(); });
}

void Form::runAfterModal()
{
    // An action may open a box of its own, which queues what comes after it anew.
    std::vector<std::function<void()>> pending;
    pending.swap(afterModal);
    for (std::size_t i = 0; i < pending.size(); ++i) {
        if (modalOpen()) {
            afterModal.insert(afterModal.end(), pending.begin() + std::ptrdiff_t(i), pending.end());
            return;
        }
        pending[i]();
    }
}

void Form::whenNoModalOpen(std::function<void()> action)
{
    if (modalOpen())
        afterModal.push_back(std::move(action));
    else
        action();
}

QString Form::askCsvFile(Feedback &feedback, const QString &title, const QString &fileName)
{
    const QString suggested = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + u'/' + fileName;
    QString file;
    runModal([&] { file = feedback.saveFileName(window(), title, suggested, QStringLiteral("CSV files (*.csv)")); });
    return isLoaded() ? file : QString();
}

void Form::showMessage(Feedback &feedback, const QString &text, Feedback::Style style, const QString &title)
{
    runModal([&] { feedback.message(widget, text, style, title); });
}

void Form::Unload()
{
    if (!widget)
        return;
    if (modalOpen()) {
        whenNoModalOpen([this] { Unload(); });
        return;
    }
    Form_Unload();
    FormWidget *leaving = widget;
    widget = nullptr;
    leaving->hide();
    // The unload may be asked for from inside one of the window's own handlers,
    // so the widgets go at the next turn of the event loop, possibly after this
    // form: until then nothing they report (a late focus change) may reach it.
    leaving->detach();
    leaving->deleteLater();
    releaseControls();
    if (afterUnload)
        afterUnload();
}
