#pragma once

#include "Feedback.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// The on-screen part of a form. A close from the title bar is handed to the
// form, which decides what closing means for it.
class FormWidget final : public QMainWindow
{
    Q_OBJECT

public:
    FormWidget(std::function<void()> closeRequested, std::function<void()> activated);
    // Cuts the window off from its form: nothing it or its controls report reaches the form any more.
    void detach();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Enter on a focused button that does not take it itself clicks the button.
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::function<void()> closeRequested;
    std::function<void()> activated;
};

// A window object that lives for the whole run of the program while its widgets
// come and go: showing an unloaded form builds its controls as designed and runs
// its load step; unloading runs its unload step and destroys the widgets. The
// object's own fields keep their values across an unload.
class Form
{
public:
    explicit Form(QString name);
    virtual ~Form();
    Form(const Form &) = delete;
    Form &operator=(const Form &) = delete;

    const QString &name() const { return formName; }
    // Loads the form if needed, then shows it (not modal).
    void Show();
    void Unload();
    bool isLoaded() const { return widget != nullptr; }
    // The loaded window; nullptr while the form is unloaded.
    FormWidget *window() const { return widget; }

    template<typename T>
    T *control(const QString &controlName) const
    {
        return widget ? widget->findChild<T *>(controlName) : nullptr;
    }

    // Told after every unload (the program ends when no form is left).
    std::function<void()> afterUnload;

    // Runs a modal step the window owns (a message box). The window is not
    // destroyed under it: an unload asked for meanwhile, by a timer say, waits
    // until the box is closed and the handler that opened it has finished, and
    // happens at the next turn of the event loop.
    void runModal(const std::function<void()> &step);
    // The same for a modal step that goes on without a nested event loop (a dialog
    // shown with show(), its end told by a signal): the window is held until the
    // returned token is dropped.
    std::shared_ptr<void> holdModal();
    bool modalOpen() const { return modalDepth > 0; }
    // Runs the action now, or once the window's modal step is over (as above).
    void whenNoModalOpen(std::function<void()> action);
    // A message box over this window, as a modal step.
    void showMessage(Feedback &feedback, const QString &text, Feedback::Style style, const QString &title);
    // A CSV file to write, chosen over this window as a modal step, `fileName` offered in the
    // Documents folder; empty when cancelled or when the window was unloaded meanwhile.
    QString askCsvFile(Feedback &feedback, const QString &title, const QString &fileName);

protected:
    // Creates the controls in their designed state on a fresh window.
    virtual void build(FormWidget &window) = 0;
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // The window has come to the front: shown again while loaded, raised, or clicked.
    virtual void Form_Activate() {}
    // The widgets are going: drop every pointer to them, so that a stray use
    // after an unload is a null access and never a use of freed memory.
    virtual void releaseControls() {}
    // Tab goes as a reader goes; a window laid out at its load orders itself then.
    virtual void arrangeTabOrder(QWidget &window) { followReadingOrder(window); }
    // The title-bar close box; unloads unless the form says otherwise.
    virtual void closeRequested() { Unload(); }
    // Shows the window; a load step may call it before it ends, as the About window does.
    void showWindow();
    // Tab goes through the controls as a reader goes through the window: row by row
    // from the top, each row from the left. Controls whose heights overlap share a row.
    static void followReadingOrder(QWidget &window);

private:
    void runAfterModal();
    void endModalStep();

    QString formName;
    QPointer<FormWidget> widget;
    int modalDepth = 0;
    std::vector<std::function<void()>> afterModal;
};
