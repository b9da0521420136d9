// Every window's caption as a window manager reads it from the X server
// (_NET_WM_NAME): exactly what the window sets, blanks included, nothing
// appended. Runs on the real xcb platform, on an Xvfb server of its own.
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
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

using Opener = std::function<QWidget *(Program &)>;
Q_DECLARE_METATYPE(Opener)

namespace {

// Xvfb on a display it picks itself (-displayfd), so that test runs side by side never collide.
struct Xvfb
{
    pid_t pid = -1;
    QByteArray display; // ":N" once it is up
    QString failure;

    Xvfb()
    {
        int ready[2];
        if (pipe(ready) != 0) {
            failure = QStringLiteral("no pipe");
            return;
        }
        pid = fork();
        if (pid == 0) {
            close(ready[0]);
            const std::string fd = std::to_string(ready[1]);
            // Its notes are no test output, and it goes when the test goes, however that ends.
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   static_cast<char *>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        // The number comes in two writes, the newline last: Xvfb ends when it cannot write that.
        pollfd wait{ready[0], POLLIN, 0};
        QByteArray number;
        char got = 0;
        while (!number.endsWith('\n') && poll(&wait, 1, 20000) == 1 && read(ready[0], &got, 1) == 1)
            number += got;
        if (number.endsWith('\n'))
            display = ':' + number.trimmed();
        close(ready[0]);
        int status = 0;
        if (display.size() < 2 && waitpid(pid, &status, WNOHANG) == pid)
            failure = WEXITSTATUS(status) == 127 ? QStringLiteral("Xvfb is not installed (Debian package xvfb)")
                                                 : QStringLiteral("Xvfb ended at its start");
        else if (display.size() < 2)
            failure = QStringLiteral("Xvfb did not name a display within 20 s");
    }
    ~Xvfb()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

} // namespace

class tst_Captions : public QObject
{
    Q_OBJECT

    xcb_connection_t *server = nullptr; // a connection of our own, as a window manager has
    xcb_atom_t netWmName = 0;
    xcb_atom_t utf8 = 0;

    xcb_atom_t atom(const char *name)
    {
        const auto reply = xcb_intern_atom_reply(server, xcb_intern_atom(server, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : 0;
        free(reply);
        return value;
    }

    QString caption(QWidget *window)
    {
        if (!window)
            return QStringLiteral("(the window is gone)");
        const auto cookie = xcb_get_property(server, 0, xcb_window_t(window->winId()), netWmName, utf8, 0, 1024);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(xcb_get_property_reply(server, cookie, nullptr),
                                                                          &free);
        if (!reply)
            return {};
        return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                 xcb_get_property_value_length(reply.get()));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        PrepareApplication(); // everything the program sets on the application, as main does
        server = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(server));
        netWmName = atom("_NET_WM_NAME");
        utf8 = atom("UTF8_STRING");
        QVERIFY(netWmName && utf8);
    }

    void cleanupTestCase() { xcb_disconnect(server); }
    void cleanup() { QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void windowCaption_data()
    {
        QTest::addColumn<Opener>("open");
        QTest::addColumn<QString>("designed");
        const auto exercise = [](Exercise exercise) {
            return Opener([exercise](Program &program) {
                program.showMainMenu(false);
                program.openFromMainMenu(exercise);
                return program.windowFor(exercise)->window();
            });
        };
        // As from Help, About: the splash would go before a wrong caption could be shown.
        QTest::newRow("sobre") << Opener([](Program &program) {
            program.showAbout();
            return program.about().window();
        }) << "  About Bimbala!";
        QTest::newRow("alap") << Opener([](Program &program) {
            program.showMainMenu(false);
            return program.mainMenu().window();
        }) << "  Bimbala!   ---   7. lecke";
        QTest::newRow("hatter") << Opener([](Program &program) {
            program.showMainMenu(false);
            return program.background().window();
        }) << "   B I M B A L A  !";
        QTest::newRow("b07d1") << exercise(Exercise::Ex1a) << "  Bimbala!   ---   7. lecke: 1/a..";
        QTest::newRow("b07d3") << exercise(Exercise::Ex3) << "  Bimbala!   ---   7. lecke: 3.";
        QTest::newRow("b07d4") << exercise(Exercise::Ex5) << "  Bimbala!   ---   7. lecke: 5.";
        QTest::newRow("b07d6") << exercise(Exercise::Ex6) << "  Bimbala!   ---   7. lecke: 6.";
        QTest::newRow("Progress") << Opener([](Program &program) {
            program.showProgress();
            return program.progress().window();
        }) << "  Bimbala!   ---   Your progress";
    }

    void windowCaption()
    {
        QFETCH(Opener, open);
        QFETCH(QString, designed);
        MessageBoxFeedback feedback;
        ScriptedRandom random;
        Program program(feedback, random);
        program.quit = [] {};
        const QPointer<QWidget> window = open(program);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), designed);
        QTRY_COMPARE_WITH_TIMEOUT(caption(window), designed, 500);
        program.end();
    }

    // A real message box takes its caption from the window it belongs to, as given.
    void messageBoxCaption()
    {
        MessageBoxFeedback feedback;
        ScriptedRandom random;
        Program program(feedback, random);
        program.quit = [] {};
        program.showMainMenu(false);
        QString title, shown;
        int looks = 0;
        TestSupport::withMessageBoxes(
            [&] { program.mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger(); },
            [&](QMessageBox *box) {
                title = box->windowTitle();
                shown = caption(box);
                if (shown.isEmpty() && ++looks < 100) // not on the server yet
                    return;
                box->button(QMessageBox::Ok)->click();
            });
        QCOMPARE(title, QStringLiteral("How to ..."));
        QCOMPARE(shown, title);
        program.end();
    }
};

int main(int argc, char *argv[])
{
    const Xvfb xvfb;
    if (!xvfb.failure.isEmpty()) {
        // Where Xvfb is meant to be there (./dev.sh test installs it), its absence is a failure.
        const bool required = qEnvironmentVariableIsSet("BIMBALA_REQUIRE_XVFB");
        std::printf("%s: %s\n", required ? "FAIL" : "SKIP (captions need an X server)", qPrintable(xvfb.failure));
        return required ? 1 : 77;
    }
    qputenv("DISPLAY", xvfb.display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    tst_Captions test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_captions.moc"
