// Every window's caption, and a message box's, as a window manager reads it from the
// X server (_NET_WM_NAME): exactly what the window sets, blanks included, nothing
// appended. Runs on the real xcb platform (CTest starts it on an Xvfb server).
#include "TestSupport.h"

#include "app/Program.h"
#include "app/alap.h"
#include "app/hatter.h"
#include "app/sobre.h"
#include "exercises/frame/ExerciseWindow.h"
#include "progress/ProgressWindow.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <xcb/xcb.h>

#include <memory>

namespace {

template<typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

// Read over a connection of its own, as another client sees it.
QString caption(QWidget *window)
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    const auto atom = [x](const char *name) {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(strlen(name)), name), nullptr), &free);
        return reply ? reply->atom : xcb_atom_t(XCB_NONE);
    };
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(x, xcb_get_property(x, 0, xcb_window_t(window->winId()), atom("_NET_WM_NAME"),
                                                   atom("UTF8_STRING"), 0, 1024), nullptr), &free);
    const QString name = reply ? QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                                   xcb_get_property_value_length(reply.get()))
                               : QStringLiteral("(no reply)");
    xcb_disconnect(x);
    return name;
}

} // namespace

class tst_Captions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyWindowAndAMessageBox()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        PrepareApplication(); // all the program sets on the application, as main does
        MessageBoxFeedback feedback;
        ScriptedRandom random;
        Program program(feedback, random);
        program.quit = [] {};
        program.showAbout();
        program.showMainMenu(false); // with the background
        program.showProgress();
        std::vector<Form *> windows{&program.about(), &program.mainMenu(), &program.background(), &program.progress()};
        for (Exercise exercise : {Exercise::Ex1a, Exercise::Ex3, Exercise::Ex4, Exercise::Ex6}) {
            ExerciseWindow *window = program.windowFor(exercise);
            window->Show();
            window->prepareFor(exercise, true);
            windows.push_back(window);
        }
        for (Form *form : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(form->window()));
            QVERIFY(form->window()->windowTitle().startsWith(u' ')); // each designed caption starts with blanks
            QTRY_COMPARE(caption(form->window()), form->window()->windowTitle());
        }

        QString title, shown;
        TestSupport::withMessageBoxes(
            [&] { program.mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger(); },
            [&](QMessageBox *box) {
                title = box->windowTitle();
                shown = caption(box);
                box->button(QMessageBox::Ok)->click();
            });
        QCOMPARE(shown, QStringLiteral("How to ..."));
        QCOMPARE(title, shown);
        program.end();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(tst_Captions)
#include "tst_captions.moc"
