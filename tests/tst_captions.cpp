// Every window's caption, and a message box's, as a window manager reads it from the
// X server (_NET_WM_NAME): exactly what the window sets, blanks included, nothing
// appended. Runs on the real xcb platform (CTest starts it on an Xvfb server).
#include "ExerciseSession.h"

#include "app/sobre.h"
#include "progress/ProgressWindow.h"

#include <QMessageBox>

#include <xcb/xcb.h>

namespace {

// Read over a connection of its own, as another client sees it.
QString caption(QWidget *window)
{
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    const auto atom = [x](const char *name) {
        auto *reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_NONE);
        free(reply);
        return value;
    };
    auto *reply = xcb_get_property_reply(x, xcb_get_property(x, 0, xcb_window_t(window->winId()), atom("_NET_WM_NAME"),
                                                             atom("UTF8_STRING"), 0, 1024), nullptr);
    const QString name = reply ? QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply)),
                                                   xcb_get_property_value_length(reply))
                               : QString();
    free(reply);
    xcb_disconnect(x);
    return name;
}

} // namespace

class tst_Captions : public ExerciseSession
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareApplication(); } // all the program sets on the application, as main does

    void everyWindowAndAMessageBox()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        program->showAbout();
        program->showMainMenu(false); // with the background
        program->showProgress();
        std::vector<Form *> windows{&program->about(), &program->mainMenu(), &program->background(), &program->progress()};
        for (Exercise exercise : {Lesson7::Ex1a, Lesson7::Ex3, Lesson7::Ex4, Lesson7::Ex6}) {
            program->windowFor(exercise)->aimAt(exercise);
            program->windowFor(exercise)->Show();
            program->windowFor(exercise)->prepareFor(exercise, true);
            windows.push_back(program->windowFor(exercise));
        }
        for (Form *form : windows) {
            QVERIFY(QTest::qWaitForWindowExposed(form->window()));
            QVERIFY(form->window()->windowTitle().startsWith(u' ')); // as every window was designed
            QTRY_COMPARE(caption(form->window()), form->window()->windowTitle());
        }

        // The real message box, captioned as the window it belongs to.
        const QString title = program->mainMenu().window()->windowTitle();
        QString shown;
        TestSupport::withMessageBoxes(
            [&] { MessageBoxFeedback().message(program->mainMenu().window(), title, Feedback::Information, title); },
            [&](QMessageBox *box) {
                shown = caption(box);
                box->button(QMessageBox::Ok)->click();
            });
        QCOMPARE(shown, title);
    }
};

QTEST_MAIN(tst_Captions)
#include "tst_captions.moc"
