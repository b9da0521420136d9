// A seeded stream of random learner events against the whole program, started
// as main starts it: real message boxes, real timers, the splash included.
// After every event cheap invariants are checked; a failure names the seed and
// the last events, so that the run can be replayed.
//
// BIMBALA_MONKEY_EVENTS   events per seed (default 1500)
// BIMBALA_MONKEY_SEEDS    comma-separated seeds (default 1,2)
// BIMBALA_MONKEY_TRACE    set: print every event as it is sent
#include "app/Program.h"
#include "app/alap.h"
#include "app/hatter.h"
#include "app/sobre.h"
#include "progress/ProgressWindow.h"
#include "review/ReviewWindow.h"
#include "common/Feedback.h"
#include "common/RandomSource.h"
#include "exercises/frame/AnswerBox.h"
#include "exercises/frame/ExerciseWindow.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto HangLimit = std::chrono::seconds(5);

struct Figures
{
    long events = 0;
    long messageBoxes = 0;
    long accomplished = 0;
    long programRuns = 0;
    qint64 slowestEventMs = 0;
};

// What the invariants remember of a window between two events.
struct Remembered
{
    QPointer<QWidget> window;
    std::set<int> locked;
    QString log;
    bool running = false;
    QString startCaption;
};

class Monkey
{
public:
    Monkey(unsigned seed, long events) : seed(seed), wanted(events), pick(seed) {}

    // Runs the stream; returns what went wrong, or nothing.
    QString run(Figures &figures);

private:
    void step();
    void act();
    void actOnModal(QWidget *modal);
    void actOnPopup(QWidget *popup);
    void actOnWindow(QWidget *window);
    bool actDiligently(QWidget *window);
    void clickSomething(QWidget *window);
    void pressKey(QWidget *window);
    void paste(QWidget *window);
    void typeSolution(QWidget *window);
    void triggerMenu(QWidget *window);
    void restartProgram();
    void check();
    void checkWindow(const Form &form, const ExerciseWindow *exercise);
    void fail(const QString &why);
    void note(const QString &event);

    int below(int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(pick)); }
    bool chance(int percent) { return below(100) < percent; }
    template<typename T>
    T *any(const QList<T *> &list)
    {
        return list.isEmpty() ? nullptr : list.at(below(int(list.size())));
    }

    std::vector<Form *> forms() const;
    QString randomPaste();

    unsigned seed;
    long wanted;
    std::mt19937 pick;
    MessageBoxFeedback feedback;
    std::unique_ptr<SeededRandom> random;
    std::unique_ptr<Program> program;
    bool programEnded = false;
    // Steps run inside the event loops of message boxes an earlier step opened;
    // the program may only be replaced, and the run ended, at the outermost level.
    int acting = 0;
    QEventLoop loop;
    Figures *figures = nullptr;
    QString failure;
    QString solution;
    bool solutionFresh = false;
    std::deque<QString> recent;
    // BIMBALA_MONKEY_TRACE=1 prints every event as it happens, for a replay that ends in a sanitizer report.
    const bool trace = qEnvironmentVariableIsSet("BIMBALA_MONKEY_TRACE");
    std::map<const Form *, Remembered> remembered;

    // The watchdog sees the time of the last event and what it was.
    std::atomic<Clock::rep> lastBeat{0};
    std::atomic<bool> stopWatching{false};
    std::mutex recentLock;
};

std::vector<Form *> Monkey::forms() const
{
    std::vector<Form *> all{&program->about(), &program->mainMenu(), &program->background(), &program->progress(),
                            &program->reviewWindow()};
    for (Exercise exercise : Lesson7::All) {
        Form *window = program->windowFor(exercise);
        if (std::find(all.begin(), all.end(), window) == all.end())
            all.push_back(window);
    }
    return all;
}

void Monkey::note(const QString &event)
{
    const std::lock_guard<std::mutex> hold(recentLock);
    recent.push_back(QStringLiteral("#%1 %2").arg(figures->events).arg(event));
    if (trace)
        std::fprintf(stderr, "%s\n", qPrintable(recent.back()));
    if (recent.size() > 25)
        recent.pop_front();
}

void Monkey::fail(const QString &why)
{
    if (!failure.isEmpty())
        return;
    const std::lock_guard<std::mutex> hold(recentLock);
    QStringList lines{QStringLiteral("seed %1, event %2: %3").arg(seed).arg(figures->events).arg(why),
                      QStringLiteral("last events:")};
    for (const QString &event : recent)
        lines << QStringLiteral("  ") + event;
    lines << QStringLiteral("replay: BIMBALA_MONKEY_SEEDS=%1 BIMBALA_MONKEY_EVENTS=%2").arg(seed).arg(wanted);
    failure = lines.join(u'\n');
}

QString Monkey::run(Figures &figuresOut)
{
    figures = &figuresOut;
    std::thread watchdog([this] {
        while (!stopWatching) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            const auto since = Clock::now() - Clock::time_point(Clock::duration(lastBeat.load()));
            if (lastBeat.load() != 0 && since > HangLimit) {
                const std::lock_guard<std::mutex> hold(recentLock);
                std::fprintf(stderr, "HANG: seed %u, an event not handled within 5 s. Last events:\n", seed);
                for (const QString &event : recent)
                    std::fprintf(stderr, "  %s\n", qPrintable(event));
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    });
    restartProgram();
    QTimer::singleShot(0, &loop, [this] { step(); });
    loop.exec();
    stopWatching = true;
    watchdog.join();
    program.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return failure;
}

void Monkey::restartProgram()
{
    remembered.clear();
    program.reset();
    random = std::make_unique<SeededRandom>(seed + unsigned(figures->programRuns));
    program = std::make_unique<Program>(feedback, *random);
    programEnded = false;
    // The program ends by End or with its last window: never while a window is still open.
    program->quit = [this] {
        if (program->anyLoaded())
            fail(QStringLiteral("the program ended while a window of it was still open"));
        programEnded = true;
    };
    ++figures->programRuns;
    note(QStringLiteral("program started"));
    program->start();
}

void Monkey::step()
{
    lastBeat = Clock::now().time_since_epoch().count();
    check();
    QWidget *modal = QApplication::activeModalWidget();
    const bool finished = !failure.isEmpty() || figures->events >= wanted;
    if (finished && acting == 0 && !modal && !QApplication::activePopupWidget()) {
        loop.quit();
        return;
    }
    // The next step is due before this one acts: an event that opens a message
    // box only returns when the box is closed, by a later step.
    QTimer::singleShot(0, &loop, [this] { step(); });
    if (programEnded) {
        if (acting == 0 && !modal)
            restartProgram();
        else if (modal)
            actOnModal(modal);
        return;
    }
    ++figures->events;
    QElapsedTimer took;
    took.start();
    ++acting;
    act();
    --acting;
    figures->slowestEventMs = std::max(figures->slowestEventMs, took.elapsed());
}

void Monkey::act()
{
    if (QWidget *modal = QApplication::activeModalWidget()) {
        actOnModal(modal);
        return;
    }
    if (QWidget *popup = QApplication::activePopupWidget()) {
        actOnPopup(popup);
        return;
    }
    if (chance(1)) {
        const int ms = 50 + below(400);
        note(QStringLiteral("wait %1 ms").arg(ms));
        // A learner reading: no event for a while, then the timers that came due run.
        QThread::msleep(ulong(ms));
        return;
    }
    QList<QWidget *> windows;
    for (Form *form : forms()) {
        if (form->isLoaded() && form->window()->isVisible())
            windows << form->window();
    }
    if (QWidget *window = any(windows))
        actOnWindow(window);
}

// A message box: read it (a shown solution is remembered), then close it as a learner would.
// A file dialog is always cancelled: the monkey writes no files.
void Monkey::actOnModal(QWidget *modal)
{
    if (qobject_cast<QFileDialog *>(modal)) {
        note(QStringLiteral("file dialog: Escape"));
        QTest::keyClick(modal, Qt::Key_Escape);
        return;
    }
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (box && !box->property("monkeySeen").toBool()) {
        box->setProperty("monkeySeen", true);
        ++figures->messageBoxes;
        const QString text = box->text();
        if (text.startsWith(QStringLiteral("The correct solution is:"))) {
            solution = text.mid(text.indexOf(u':') + 1).trimmed();
            solutionFresh = true;
        }
        if (text.startsWith(QStringLiteral("This exercise has been accomplished")))
            ++figures->accomplished;
    }
    switch (below(5)) {
    case 0:
        note(QStringLiteral("message box: Escape"));
        QTest::keyClick(modal, Qt::Key_Escape);
        break;
    case 1:
        note(QStringLiteral("message box: close box"));
        modal->close();
        break;
    case 2:
        if (box && box->button(QMessageBox::Ok)) {
            note(QStringLiteral("message box: click OK"));
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            break;
        }
        Q_FALLTHROUGH();
    default:
        note(QStringLiteral("message box: Enter"));
        QTest::keyClick(modal, chance(50) ? Qt::Key_Return : Qt::Key_Enter);
        break;
    }
}

void Monkey::actOnPopup(QWidget *popup)
{
    static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape};
    const Qt::Key key = keys[below(4)];
    note(QStringLiteral("popup: key %1").arg(int(key), 0, 16));
    QTest::keyClick(popup, key);
}

void Monkey::actOnWindow(QWidget *window)
{
    if (!window->isActiveWindow())
        window->activateWindow();
    // Stretches of random play alternate with stretches of a learner working
    // through the items, so that runs get accomplished too.
    const bool diligent = (figures->events / 300) % 2 == 1;
    if (diligent && chance(80) && actDiligently(window))
        return;
    const int roll = below(100);
    if (roll < 32)
        clickSomething(window);
    else if (roll < 70)
        pressKey(window);
    else if (roll < 78)
        paste(window);
    else if (roll < 90)
        typeSolution(window);
    else if (roll < 97)
        triggerMenu(window);
    else {
        note(QStringLiteral("%1: close box").arg(window->objectName()));
        window->close();
    }
}

// Start when nothing runs, otherwise ask for the solution and type it in.
bool Monkey::actDiligently(QWidget *window)
{
    QAbstractButton *start = nullptr;
    QAbstractButton *showSolution = nullptr;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->text() == QLatin1String("&Start") || button->text() == QLatin1String("&Restart"))
            start = button;
        if (button->text() == QLatin1String("Sol&ution"))
            showSolution = button;
    }
    if (start && start->isEnabled() && start->isVisible() && !(showSolution && showSolution->isEnabled())) {
        note(QStringLiteral("%1: diligent Start").arg(window->objectName()));
        QTest::mouseClick(start, Qt::LeftButton);
        return true;
    }
    if (!showSolution || !showSolution->isEnabled() || !qobject_cast<AnswerBox *>(window->focusWidget()))
        return false;
    if (!solutionFresh) {
        note(QStringLiteral("%1: diligent Solution").arg(window->objectName()));
        showSolution->click();
        return true;
    }
    solutionFresh = false;
    typeSolution(window);
    return true;
}

void Monkey::clickSomething(QWidget *window)
{
    QList<QWidget *> targets;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(child) || qobject_cast<QLineEdit *>(child) ||
                             qobject_cast<QComboBox *>(child) || qobject_cast<QPlainTextEdit *>(child);
        if (control && child->isVisible() && child->isEnabled())
            targets << child;
    }
    QWidget *target = any(targets);
    if (!target)
        return;
    note(QStringLiteral("%1: click %2 \"%3\"")
             .arg(window->objectName(), target->objectName(),
                  qobject_cast<QAbstractButton *>(target) ? qobject_cast<QAbstractButton *>(target)->text()
                                                          : QString()));
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
}

void Monkey::pressKey(QWidget *window)
{
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *text;
    };
    static const Key keys[] = {
        {Qt::Key_Return, {}, "\r"},  {Qt::Key_Enter, Qt::KeypadModifier, "\r"}, {Qt::Key_Tab, {}, "\t"},
        {Qt::Key_Backtab, Qt::ShiftModifier, ""}, {Qt::Key_Escape, {}, ""}, {Qt::Key_Space, {}, " "},
        {Qt::Key_Left, {}, ""}, {Qt::Key_Right, {}, ""}, {Qt::Key_Up, {}, ""}, {Qt::Key_Down, {}, ""},
        {Qt::Key_Backspace, {}, ""}, {Qt::Key_Home, {}, ""}, {Qt::Key_End, {}, ""},
    };
    static const char translated[] = "';`=0[]-\\\":~+){}_|";
    static const char accessKeys[] = "snuecpabhot123456";
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    const int kind = below(10);
    if (kind < 3) {
        const Key &key = keys[below(int(std::size(keys)))];
        note(QStringLiteral("%1: key %2 on %3").arg(window->objectName()).arg(int(key.key), 0, 16).arg(target->objectName()));
        QTest::keyClick(target, key.key, key.modifiers);
    } else if (kind < 6) {
        const char letter = char('a' + below(26));
        note(QStringLiteral("%1: letter %2").arg(window->objectName()).arg(QLatin1Char(letter)));
        QTest::keyClick(target, letter, chance(15) ? Qt::ShiftModifier : Qt::NoModifier);
    } else if (kind < 8) {
        const char typed = translated[below(int(sizeof translated) - 1)];
        note(QStringLiteral("%1: translated key %2").arg(window->objectName()).arg(QLatin1Char(typed)));
        QTest::keyClick(target, typed);
    } else {
        const char letter = accessKeys[below(int(sizeof accessKeys) - 1)];
        note(QStringLiteral("%1: Alt+%2").arg(window->objectName()).arg(QLatin1Char(letter)));
        QTest::keyClick(target, letter, Qt::AltModifier);
    }
}

QString Monkey::randomPaste()
{
    const QString word = QStringLiteral("orvosnak");
    switch (below(7)) {
    case 0: return QString(below(20000), u' ') + word + QString(below(20000), u' ');
    case 1: return word + QStringLiteral("\n");
    case 2: return QStringLiteral("\tor\x01vos\r\nnak\x7f\x1b");
    case 3: return QStringLiteral(u"שלום עולם مرحبا ") + word;
    case 4: return QString(below(40000), u'a') + QStringLiteral(u"😀🇭🇺");
    case 5: return QStringLiteral(u"e\u0301 o\u0308 o\u030b u\u030b õ û Õ Û");
    default: return solution;
    }
}

void Monkey::paste(QWidget *window)
{
    QList<AnswerBox *> boxes;
    for (AnswerBox *box : window->findChildren<AnswerBox *>()) {
        if (box->isVisible() && box->isEnabled())
            boxes << box;
    }
    AnswerBox *box = any(boxes);
    if (!box)
        return;
    const QString text = randomPaste();
    note(QStringLiteral("%1: paste %2 characters into %3").arg(window->objectName()).arg(text.size()).arg(box->objectName()));
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    if (chance(50))
        box->selectAll();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// Types the last solution shown into the focused answer box and presses Enter.
void Monkey::typeSolution(QWidget *window)
{
    auto *box = qobject_cast<AnswerBox *>(window->focusWidget());
    if (!box || solution.isEmpty() || box->isReadOnly())
        return;
    note(QStringLiteral("%1: type \"%2\" into %3, Enter").arg(window->objectName(), solution, box->objectName()));
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    for (const QChar ch : solution)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    QTest::keyClick(box, Qt::Key_Return);
}

void Monkey::triggerMenu(QWidget *window)
{
    auto *main = qobject_cast<QMainWindow *>(window);
    if (!main || !main->menuWidget())
        return;
    QList<QAction *> actions;
    for (QMenu *menu : main->menuBar()->findChildren<QMenu *>()) {
        for (QAction *action : menu->actions()) {
            if (action->isEnabled() && action->isVisible() && !action->isSeparator())
                actions << action;
        }
    }
    if (QAction *action = any(actions)) {
        note(QStringLiteral("%1: menu %2").arg(window->objectName(), action->text()));
        action->trigger();
    }
}

void Monkey::check()
{
    if (!failure.isEmpty() || !program)
        return;
    std::set<const Form *> exerciseForms;
    for (Exercise exercise : Lesson7::All) {
        const ExerciseWindow *window = program->windowFor(exercise);
        if (!exerciseForms.insert(window).second)
            continue;
        checkWindow(*window, window);
    }
    for (const Form *form : forms()) {
        if (form->isLoaded())
            continue;
        remembered.erase(form);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && top->objectName() == form->name())
                fail(QStringLiteral("%1 is not loaded but a window of it is on screen").arg(form->name()));
        }
    }
}

void Monkey::checkWindow(const Form &form, const ExerciseWindow *exercise)
{
    if (!form.isLoaded())
        return;
    const ExerciseWindow::RunProgress progress = exercise->runProgress();
    if (progress.counted < 0 || (progress.length > 0 && progress.counted > progress.length) ||
        (progress.length == 0 && progress.counted > 0))
        fail(QStringLiteral("%1 counts %2 of a run of %3").arg(form.name()).arg(progress.counted).arg(progress.length));

    Remembered now;
    now.window = form.window();
    auto *start = form.control<QAbstractButton>(QStringLiteral("Command1"));
    now.running = start && !start->isEnabled();
    now.startCaption = start ? start->text() : QString();
    for (int n = 0;; ++n) {
        auto *gap = form.control<QLineEdit>(QStringLiteral("Text1_%1").arg(n));
        if (!gap)
            break;
        if (gap->isReadOnly())
            now.locked.insert(n);
    }
    const QString logName = form.name() == QLatin1String("b07d1") ? QStringLiteral("Text3") : QStringLiteral("Text4");
    if (auto *log = form.control<QPlainTextEdit>(logName))
        now.log = log->toPlainText();

    const auto before = remembered.find(&form);
    if (before != remembered.end() && before->second.window == now.window) {
        const Remembered &was = before->second;
        // A solved gap stays locked until Restart, which opens every gap at once.
        for (int n : was.locked) {
            if (!now.locked.count(n) && (was.startCaption != QLatin1String("&Restart") || !now.locked.empty()))
                fail(QStringLiteral("%1: gap %2 came open without a Restart").arg(form.name()).arg(n));
        }
        // The drill's log breaks its running paragraph where a line wrapped: the same text, a break more.
        const auto unbroken = [](QString log) { return log.remove(u'\n'); };
        if (was.running && now.running && !unbroken(now.log).startsWith(unbroken(was.log)))
            fail(QStringLiteral("%1: the log lost text during a run: ...%2 became ...%3")
                     .arg(form.name(), was.log.right(60), now.log.right(60)));
    }
    remembered[&form] = now;
}

long numberFrom(const char *name, long fallback)
{
    bool ok = false;
    const long value = qEnvironmentVariable(name).toLong(&ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

class tst_Monkey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Settings the monkey changes (Clear colours) go to a test folder, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        PrepareApplication();
        // The offscreen platform cannot raise windows or pass size hints; saying so
        // at every window shown would bury what matters.
        static QtMessageHandler testHandler = nullptr;
        testHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                testHandler(type, context, text);
        });
    }

    void randomLearner_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (const QString &seed : qEnvironmentVariable("BIMBALA_MONKEY_SEEDS", QStringLiteral("1,2")).split(u','))
            QTest::addRow("seed %s", qPrintable(seed.trimmed())) << seed.trimmed().toUInt();
    }

    void randomLearner()
    {
        QFETCH(unsigned, seed);
        const long events = numberFrom("BIMBALA_MONKEY_EVENTS", 1500);
        Figures figures;
        QElapsedTimer took;
        took.start();
        const QString failure = Monkey(seed, events).run(figures);
        std::printf("monkey seed %u: %ld events in %.1f s, %ld program starts, %ld message boxes, %ld runs "
                    "accomplished, slowest event %lld ms\n",
                    seed, figures.events, took.elapsed() / 1000.0, figures.programRuns, figures.messageBoxes,
                    figures.accomplished, static_cast<long long>(figures.slowestEventMs));
        std::fflush(stdout);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }
};

int main(int argc, char *argv[])
{
    // A long run is no hang: the monkey's own watchdog catches a stuck event.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "86400000");
    QApplication application(argc, argv);
    tst_Monkey test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_monkey.moc"
