#include "Program.h"

#include "class/ClassPassword.h"
#include "common/DesignFont.h"
#include "common/Logging.h"
#include "common/PaletteSharingStyle.h"
#include "common/Pictures.h"
#include "exercises/frame/ExerciseWindow.h"
#include "app/alap.h"
#include "app/sobre.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

void PrepareApplication()
{
    // The lower-case name makes the data folder ~/.local/share/bimbala, as desktop programs have it.
    QApplication::setApplicationName(QStringLiteral("bimbala"));
    // No display name: Qt would append it to every caption (" — Bimbala" on X11), and each
    // window's caption is exactly as designed, blanks included. The desktop entry names the program.
    QApplication::setDesktopFileName(QStringLiteral("org.example.bimbala"));
    // The program decides when it ends (End, or its last window closed).
    QApplication::setQuitOnLastWindowClosed(false);
    InstallFontSubstitutions();
    InstallPaletteSharingStyle();
    LoadClearColours();
}

Program::Program(Feedback &feedback, RandomSource &random, Record *recordStore)
    : quit([] { QCoreApplication::quit(); }),
      ownStore(recordStore ? nullptr : std::make_unique<Record>(QStringLiteral(":memory:"))),
      store(recordStore ? *recordStore : *ownStore),
      services{values, feedback, random, store, lessons.source(), voice},
      review(store, lessons.source(), feedback, values), classes(store),
      windows(services, store, lessons, review, classes)
{
    windows.quit = [this] { quit(); };
    windows.menuShown = [this] { afterMenuShown(); };
    review.captionChanged = [this](const QString &caption) { windows.showReviewCaption(caption); };
    // Progress says what is due at the recall aimed for.
    review.retentionChanged = [this] { windows.refreshProgress(); };
    QObject::connect(&store, &Record::statusChanged, &alive, [this](const RecordData::Status &status) { warnOfLoss(status); });
    QObject::connect(&store, &Record::changed, &alive, [this] {
        if (windows.menuOnScreen())
            review.refreshCaption();
    });
}

Program::~Program() = default;

namespace {

// Runs `then` once, after the window's first paint: the window is on screen by then.
class AfterFirstPaint final : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then) : QObject(window), then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, watched, std::move(then));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> then;
};

} // namespace

void Program::start()
{
    sobre &splash = windows.windows().about();
    splash.Show();
    // Once the splash is on screen, so that it never waits for them: the icon, which the window
    // manager takes when it comes, and the lesson to start with, read on a thread of its own.
    new AfterFirstPaint(splash.window(), [this] {
        QApplication::setWindowIcon(Pictures::programIcon());
        lessons.beginReading();
    });
}

void Program::interruptRuns()
{
    windows.interruptRuns();
}

void Program::afterMenuShown()
{
    // Opened once; later calls find it open.
    store.prepare();
    review.refreshCaption();
    if (const QString why = lessons.settleStart(); !why.isEmpty())
        windows.tell(why);
    classes.rejoin([this](const ClassServer &server) { return askPassword(server); });
    // The speech service may take seconds to start: it starts on its own thread, and the
    // program speaks once it is ready.
    if (makeSpeaker) {
        voice.use(makeSpeaker());
        makeSpeaker = nullptr;
    }
}

QString Program::askPassword(const ClassServer &server)
{
    Form *over = windows.windows().openForm();
    QString password;
    if (over) {
        over->runModal([&] {
            password = services.feedback.password(
                over->window(), values.Title,
                QCoreApplication::translate("Program", "The password of %1 on the class server %2 (there is no keyring "
                                                       "to keep it in):").arg(server.learner, server.server));
        });
    }
    return password;
}

void Program::warnOfLoss(const RecordData::Status &status)
{
    if (status.unkept == 0 || warnedOfLoss)
        return;
    if (Form *over = windows.windows().openForm()) {
        warnedOfLoss = true;
        qCWarning(logRecord).noquote() << status.problem;
        over->showMessage(services.feedback, status.problem, Feedback::Exclamation, values.Title);
    }
}
