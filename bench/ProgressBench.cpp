// What the progress record costs a learner:
// 1. judging an answer in the suffix drill with recording on (a real file in WAL
//    mode) against recording off (a record that cannot open);
// 2. recording one answer through the record (from the call until it is in the file)
//    against the floor: the same statements run through SQLite's own C interface with
//    the same pragmas;
// 3. records of many sizes built as a learner makes them (runs of every kind,
//    about 275 answers a day, ending today): recording, opening the Progress
//    window, exporting (time and peak memory), finding the mistakes to practise, and
//    forgetting it all (on the record's thread: the window goes on meanwhile).
// Usage: bimbala_progress_bench [ANSWERS...]   (default 100000 1000000 3000000)
//        bimbala_progress_bench --review [FILE] (the review's due list over 1,000,000 answers in 50 lessons,
//                                                in FILE if given: built there once, then measured again)
#include "PeakMemory.h"
#include "SilentFeedback.h"
#include "app/Program.h"
#include "common/RandomSource.h"
#include "exercises/frame/ExerciseWindow.h"
#include "record/ProgressSchema.h"
#include "record/Record.h"
#include "progress/ProgressWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

QString answerFor(LessonSource &lesson, const QString &cue)
{
    for (const LessonModel::WordItem &item : std::get<LessonModel::SuffixDrill>(lesson.exercise(0).content).items) {
        if (item.cue == cue)
            return item.answer;
    }
    return {};
}

// Milliseconds each judged answer took, from Enter until the next word is on show.
std::vector<double> judgeAnswers(Record &store, int answers)
{
    SilentFeedback feedback;
    SeededRandom random(5);
    Program program(feedback, random, &store);
    program.quit = [] {};
    program.showMainMenu(false);
    QCoreApplication::processEvents();
    program.openFromMainMenu(Exercise{0}); // lesson 7's 1a
    ExerciseWindow *window = program.windowFor(Exercise{0});
    auto *box = window->control<QLineEdit>(QStringLiteral("Text1"));
    auto *cue = window->control<QLabel>(QStringLiteral("Label8"));
    auto *start = window->control<QPushButton>(QStringLiteral("Command1"));
    std::vector<double> took;
    while (int(took.size()) < answers) {
        if (start->isEnabled())
            start->click();
        // Every seventh answer wrong, as learners make them.
        const bool wrong = took.size() % 7 == 3;
        box->setText(wrong ? QStringLiteral("rossz") : answerFor(program.lesson(), cue->text().trimmed()));
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(box, Qt::Key_Return);
        took.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    program.end();
    return took;
}

// Microseconds per answer: the four statements of an answer in one transaction,
// prepared once, through SQLite's C interface.
double floorPerAnswer(const QString &path, int answers)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 250);
    for (const char *setup : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA cache_size=-256",
                              "CREATE TABLE answers(id INTEGER PRIMARY KEY AUTOINCREMENT, uid TEXT, at TEXT NOT NULL, "
                              "exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, given TEXT NOT NULL, "
                              "right INTEGER NOT NULL, solution_shown INTEGER NOT NULL, retry INTEGER NOT NULL, run INTEGER)",
                              "CREATE UNIQUE INDEX answers_by_uid ON answers(uid)",
                              "CREATE TABLE items(exercise TEXT NOT NULL, item TEXT NOT NULL, expected TEXT NOT NULL, "
                              "misses INTEGER NOT NULL DEFAULT 0, last_missed INTEGER, first_missed INTEGER, "
                              "open INTEGER NOT NULL DEFAULT 0, clean_streak INTEGER NOT NULL DEFAULT 0, "
                              "PRIMARY KEY(exercise, item))",
                              "CREATE TABLE days(exercise TEXT NOT NULL, day TEXT NOT NULL, first_tries INTEGER NOT NULL, "
                              "right_first INTEGER NOT NULL, PRIMARY KEY(exercise, day))"})
        sqlite3_exec(db, setup, nullptr, nullptr, nullptr);
    const char *sql[] = {
        "BEGIN IMMEDIATE",
        "INSERT INTO answers(uid, at, exercise, item, expected, given, right, solution_shown, retry, run) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, 0, 0, 1) ON CONFLICT(uid) DO NOTHING",
        "INSERT INTO days(exercise, day, first_tries, right_first) VALUES(?, ?, 1, ?) ON CONFLICT(exercise, day) "
        "DO UPDATE SET first_tries = first_tries + 1, right_first = right_first + excluded.right_first",
        "SELECT open, clean_streak FROM items WHERE exercise = ? AND item = ?",
        "INSERT INTO items(exercise, item, expected, misses, last_missed, first_missed, open, clean_streak) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(exercise, item) DO UPDATE SET expected = excluded.expected, "
        "misses = misses + excluded.misses, last_missed = COALESCE(excluded.last_missed, last_missed), "
        "open = excluded.open, clean_streak = excluded.clean_streak",
        "COMMIT"};
    sqlite3_stmt *statements[6];
    for (int i = 0; i < 6; ++i)
        sqlite3_prepare_v2(db, sql[i], -1, &statements[i], nullptr);
    const auto text = [](sqlite3_stmt *s, int i, const QByteArray &value) {
        sqlite3_bind_text(s, i, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    };
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < answers; ++n) {
        const QByteArray item = QByteArray("item ") + QByteArray::number(n % 60);
        const QByteArray uid = QByteArray::number(n) + "-0000-0000-0000-000000000000";
        const bool right = n % 7 != 3;
        sqlite3_step(statements[0]);
        sqlite3_reset(statements[0]);
        text(statements[1], 1, uid);
        text(statements[1], 2, "2026-12-07T10:00:00.000Z");
        text(statements[1], 3, "1a");
        text(statements[1], 4, item);
        text(statements[1], 5, item + "-right");
        text(statements[1], 6, right ? item + "-right" : QByteArray("wrong"));
        sqlite3_bind_int(statements[1], 7, right);
        sqlite3_step(statements[1]);
        sqlite3_reset(statements[1]);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        text(statements[2], 1, "1a");
        text(statements[2], 2, "2026-12-07");
        sqlite3_bind_int(statements[2], 3, right);
        sqlite3_step(statements[2]);
        sqlite3_reset(statements[2]);
        text(statements[3], 1, "1a");
        text(statements[3], 2, item);
        int open = 0, streak = 0;
        if (sqlite3_step(statements[3]) == SQLITE_ROW) {
            open = sqlite3_column_int(statements[3], 0);
            streak = sqlite3_column_int(statements[3], 1);
        }
        sqlite3_reset(statements[3]);
        text(statements[4], 1, "1a");
        text(statements[4], 2, item);
        text(statements[4], 3, item + "-right");
        sqlite3_bind_int(statements[4], 4, !right);
        sqlite3_bind_int64(statements[4], 5, id);
        sqlite3_bind_int64(statements[4], 6, id);
        sqlite3_bind_int(statements[4], 7, right ? open : 1);
        sqlite3_bind_int(statements[4], 8, right ? streak + 1 : 0);
        sqlite3_step(statements[4]);
        sqlite3_reset(statements[4]);
        sqlite3_step(statements[5]);
        sqlite3_reset(statements[5]);
    }
    const double took = double(clock.nsecsElapsed()) / 1e3 / answers;
    for (sqlite3_stmt *statement : statements)
        sqlite3_finalize(statement);
    sqlite3_close(db);
    return took;
}

// Microseconds per answer through the record, the same answers, until the last is in the file.
double storePerAnswer(const QString &path, int answers)
{
    Record store(path);
    store.prepare();
    store.settled().waitForFinished();
    const QString lesson = QLatin1String(ProgressSchema::FirstLesson);
    const qint64 run = store.runStarted(lesson, QStringLiteral("1a"), ProgressRecord::Variant::Basic, {});
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < answers; ++n) {
        const QString item = QStringLiteral("item %1").arg(n % 60);
        const bool right = n % 7 != 3;
        store.answerJudged({lesson, QStringLiteral("1a"), item, item + QStringLiteral("-right"),
                            right ? item + QStringLiteral("-right") : QStringLiteral("wrong"), right, false, false, run});
    }
    store.settled().waitForFinished();
    return double(clock.nsecsElapsed()) / 1e3 / answers;
}

// A record of about this many answers as a learner makes it: every day about 275
// answers in runs of every exercise (basic, Plus and now and then the mistakes),
// some left, a wrong answer now and then followed by a retry; the last day today.
// With more than one lesson, each run is of a lesson drawn among them.
// Returns microseconds per answer recorded.
double buildRecord(const QString &path, qint64 answers, int lessons = 1)
{
    const QStringList exercises{QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"), QStringLiteral("2"),
                                QStringLiteral("3"),  QStringLiteral("4"),  QStringLiteral("5"),  QStringLiteral("6")};
    constexpr int PerDay = 275;
    const qint64 days = std::max<qint64>(1, answers / PerDay);
    QDateTime now(QDate::currentDate().addDays(1 - days), QTime(17, 0));
    Record store(path);
    store.clock = [&now] { return now; };
    QRandomGenerator dice(9);
    qint64 given = 0;
    QElapsedTimer clock;
    clock.start();
    for (qint64 day = 0; given < answers; ++day) {
        now = QDateTime(QDate::currentDate().addDays(day + 1 - days), QTime(17, 0));
        for (int today = 0; today < PerDay && given < answers;) {
            const QString lesson = lessons > 1 ? QStringLiteral("lesson %1").arg(dice.bounded(lessons))
                                               : QLatin1String(ProgressSchema::FirstLesson);
            const QString exercise = exercises[int(dice.bounded(8))];
            const int variant = int(dice.bounded(10));
            const qint64 run = store.runStarted(lesson, exercise,
                                                variant < 6   ? ProgressRecord::Variant::Basic
                                                : variant < 9 ? ProgressRecord::Variant::Plus
                                                              : ProgressRecord::Variant::Mistakes,
                                                exercise == u"3" || exercise == u"6" ? QStringLiteral("én") : QString());
            const int length = 10 + int(dice.bounded(15));
            for (int i = 0; i < length && given < answers; ++i, ++today, ++given) {
                const QString item = QStringLiteral("item %1").arg(dice.bounded(60));
                const bool right = dice.bounded(7) != 0;
                store.answerJudged({lesson, exercise, item, item + QStringLiteral("-right"),
                                    right ? item + QStringLiteral("-right") : QStringLiteral("wrong"), right,
                                    dice.bounded(40) == 0, false, run});
                if (!right && given + 1 < answers) {
                    store.answerJudged({lesson, exercise, item, item + QStringLiteral("-right"), item + QStringLiteral("-right"),
                                        true, false, true, run});
                    ++given;
                }
                now = now.addSecs(8);
            }
            store.runEnded(run, dice.bounded(6) == 0 ? ProgressRecord::Outcome::Left
                                                     : ProgressRecord::Outcome::Accomplished);
            // Told a day's runs at a time, so that the queue to the record's thread stays short.
            if (today >= PerDay)
                store.settled().waitForFinished();
        }
    }
    store.settled().waitForFinished();
    return double(clock.nsecsElapsed()) / 1e3 / double(given);
}

void measureRecord(const QString &path, qint64 answers)
{
    const double recording = buildRecord(path, answers);
    std::printf("\n%lld answers: recorded at %.1f µs per answer\n", answers, recording);

    // Until the figures are on show: the window is laid out at once, the figures come from the record's thread.
    std::vector<double> opening;
    for (int round = 0; round < 5; ++round) {
        SilentFeedback feedback;
        Record store(path);
        store.prepare();
        store.settled().waitForFinished();
        ProgressWindow window(store, feedback);
        QElapsedTimer clock;
        clock.start();
        window.Show();
        auto *grid = static_cast<QGridLayout *>(window.window()->findChild<QGroupBox *>()->layout());
        auto *runs = static_cast<QLabel *>(grid->itemAtPosition(1, 1)->widget()); // 1a's runs accomplished
        while (runs->text().isEmpty())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        opening.push_back(double(clock.nsecsElapsed()) / 1e6);
        window.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("  Progress window: figures on show after %.1f ms the first time, median %.1f ms (goal: under 20 ms)\n",
                opening.front(), percentile(opening, 0.5));

    Record store(path);
    store.prepare();
    store.settled().waitForFinished();
    PeakMemory::reset();
    const double before = PeakMemory::mib();
    QElapsedTimer clock;
    clock.start();
    auto progress = std::make_shared<RecordExport::Progress>();
    const bool exported = store.exportCsv(path + QStringLiteral(".csv"), progress).result().result ==
                          RecordData::Exported::Result::Written;
    std::printf("  export: %s %lld answers in %.2f s, peak resident memory %.0f MiB (%.0f MiB before)\n",
                exported ? "wrote" : "FAILED", qint64(progress->written), double(clock.nsecsElapsed()) / 1e9,
                PeakMemory::mib(), before);
    QFile::remove(path + QStringLiteral(".csv"));

    clock.restart();
    qsizetype items = 0;
    for (const QString &exercise : {QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"),
                                    QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("5")})
        items += store.mistakes(QLatin1String(ProgressSchema::FirstLesson), exercise, RecordData::Scope::ThisComputer)
                     .result()
                     .size();
    std::printf("  practise: the mistakes of six drills (%lld items) found in %.2f ms\n", qint64(items),
                double(clock.nsecsElapsed()) / 1e6);

    clock.restart();
    QFuture<QString> forgotten = store.forget();
    const double asked = double(clock.nsecsElapsed()) / 1e6;
    forgotten.waitForFinished();
    std::printf("  forget: %.2f s on the record's thread (%.3f ms on the caller's)\n", double(clock.nsecsElapsed()) / 1e9,
                asked);
}

} // namespace

// The review's questions of a record of `answers` answers over `lessons` lessons: what is
// due (the main menu's count and a run's items) and the figures with the forecast.
void measureReview(const QString &path, qint64 answers, int lessons)
{
    // A record kept from an earlier run is measured again as it is.
    const double recording = QFile::exists(path) ? 0 : buildRecord(path, answers, lessons);
    Record store(path);
    store.prepare();
    store.settled().waitForFinished();
    std::vector<double> due, allDue, figures;
    std::size_t dueCount = 0, allDueCount = 0;
    int items = 0;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer clock;
        clock.start();
        dueCount = store.dueItems({}, 0.9, 50).result().size();
        due.push_back(double(clock.nsecsElapsed()) / 1e6);
        // What a review asks: every due item, of which those of lessons gone are left out first.
        clock.restart();
        allDueCount = store.dueItems({}, 0.9, -1).result().size();
        allDue.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        items = store.reviewFigures({}, 0.9).result().items;
        figures.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("\nreview, %lld answers over %d lessons (recorded at %.1f µs per answer, %d items): due list (%zu) "
                "median %.2f ms, every due item (%zu) median %.2f ms, figures median %.2f ms (goal: under 20 ms)\n",
                answers, lessons, recording, items, dueCount, percentile(due, 0.5), allDueCount, percentile(allDue, 0.5),
                percentile(figures, 0.5));
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    PrepareApplication();
    QTemporaryDir dir;
    if (argc >= 2 && QByteArray(argv[1]) == "--review") {
        measureReview(argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("review.sqlite")), 1000000, 50);
        return 0;
    }

    Record off(dir.filePath(QStringLiteral("blocked/progress.sqlite")));
    {
        QFile blocker(dir.filePath(QStringLiteral("blocked")));
        blocker.open(QIODevice::WriteOnly);
    }
    Record on(dir.filePath(QStringLiteral("judged.sqlite")));
    // Alternate the two, so both see the same machine.
    std::vector<double> withOff, withOn;
    for (int round = 0; round < 3; ++round) {
        const std::vector<double> a = judgeAnswers(off, 1000);
        const std::vector<double> b = judgeAnswers(on, 1000);
        withOff.insert(withOff.end(), a.begin(), a.end());
        withOn.insert(withOn.end(), b.begin(), b.end());
    }
    std::printf("judging an answer, %zu answers each: recording off median %.3f ms (99th %.3f), "
                "recording on median %.3f ms (99th %.3f)\n",
                withOff.size(), percentile(withOff, 0.5), percentile(withOff, 0.99), percentile(withOn, 0.5),
                percentile(withOn, 0.99));

    // Alternated as well; the figure is the median of five rounds of 20,000 answers each.
    std::vector<double> floors, stores;
    for (int round = 0; round < 5; ++round) {
        floors.push_back(floorPerAnswer(dir.filePath(QStringLiteral("floor-%1.sqlite").arg(round)), 20000));
        stores.push_back(storePerAnswer(dir.filePath(QStringLiteral("store-%1.sqlite").arg(round)), 20000));
    }
    const double floor = percentile(floors, 0.5), store = percentile(stores, 0.5);
    std::printf("recording one answer: the record %.1f µs, SQLite's C interface %.1f µs: %.2f times the floor "
                "(goal: at most 3)\n",
                store, floor, store / floor);

    QList<qint64> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toLongLong();
    if (sizes.isEmpty())
        sizes = {100000, 1000000, 3000000};
    for (qint64 answers : sizes)
        measureRecord(dir.filePath(QStringLiteral("record-%1.sqlite").arg(answers)), answers);
    return 0;
}
