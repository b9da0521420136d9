// What the progress record costs a learner:
// 1. judging an answer in the suffix drill with recording on (a real file in WAL
//    mode) against recording off (a record that cannot open), median and 99th
//    percentile per answer;
// 2. opening the Progress window over a record of 100,000 answers.
// Usage: bimbala_progress_bench [ANSWERS]   (default 3000)
#include "SilentFeedback.h"
#include "app/Program.h"
#include "common/RandomSource.h"
#include "exercises/b07d1/SuffixLists.h"
#include "exercises/frame/ExerciseWindow.h"
#include "progress/ProgressStore.h"
#include "progress/ProgressWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

QString answerFor(const QString &base)
{
    for (const WordItem &item : suffixDrill(Exercise::Ex1a).items) {
        if (QString::fromUtf16(item.base) == base)
            return QString::fromUtf16(item.answer);
    }
    return {};
}

// Milliseconds each judged answer took, from Enter until the next word is on show.
std::vector<double> judgeAnswers(ProgressStore &store, int answers)
{
    SilentFeedback feedback;
    SeededRandom random(5);
    Program program(feedback, random, &store);
    program.quit = [] {};
    program.showMainMenu(false);
    QCoreApplication::processEvents();
    program.openFromMainMenu(Exercise::Ex1a);
    ExerciseWindow *window = program.windowFor(Exercise::Ex1a);
    auto *box = window->control<QLineEdit>(QStringLiteral("Text1"));
    auto *cue = window->control<QLabel>(QStringLiteral("Label8"));
    auto *start = window->control<QPushButton>(QStringLiteral("Command1"));
    std::vector<double> took;
    while (int(took.size()) < answers) {
        if (start->isEnabled())
            start->click();
        // Every seventh answer wrong, as learners make them.
        const bool wrong = took.size() % 7 == 3;
        box->setText(wrong ? QStringLiteral("rossz") : answerFor(cue->text().trimmed()));
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(box, Qt::Key_Return);
        took.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    program.end();
    return took;
}

// A record of this many answers, written as the program writes them, spread over every exercise.
void fill(const QString &path, int answers)
{
    ProgressStore store(path);
    const QStringList exercises{QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"), QStringLiteral("2"),
                                QStringLiteral("3"),  QStringLiteral("4"),  QStringLiteral("5"),  QStringLiteral("6")};
    QRandomGenerator dice(9);
    for (int i = 0; i < answers; ++i) {
        const QString item = QStringLiteral("item %1").arg(dice.bounded(60));
        const bool right = dice.bounded(5) != 0;
        store.answerJudged({exercises[int(dice.bounded(8))], item, item + QStringLiteral("-right"),
                            right ? item + QStringLiteral("-right") : QStringLiteral("wrong"), right,
                            dice.bounded(20) == 0, !right && dice.bounded(2) == 0});
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    PrepareApplication();
    const int answers = argc > 1 ? std::max(100, std::atoi(argv[1])) : 3000;
    QTemporaryDir dir;

    ProgressStore off(dir.filePath(QStringLiteral("blocked/progress.sqlite")));
    {
        QFile blocker(dir.filePath(QStringLiteral("blocked")));
        blocker.open(QIODevice::WriteOnly);
    }
    ProgressStore on(dir.filePath(QStringLiteral("progress.sqlite")));
    // Alternate the two, so both see the same machine.
    std::vector<double> withOff, withOn;
    for (int round = 0; round < 3; ++round) {
        const std::vector<double> a = judgeAnswers(off, answers / 3);
        const std::vector<double> b = judgeAnswers(on, answers / 3);
        withOff.insert(withOff.end(), a.begin(), a.end());
        withOn.insert(withOn.end(), b.begin(), b.end());
    }
    const double medianOff = percentile(withOff, 0.5), medianOn = percentile(withOn, 0.5);
    std::printf("judging an answer, %zu answers each: recording off median %.3f ms (99th %.3f), "
                "recording on median %.3f ms (99th %.3f): recording adds %.3f ms at the median (goal: under 1 ms)\n",
                withOff.size(), medianOff, percentile(withOff, 0.99), medianOn, percentile(withOn, 0.99),
                medianOn - medianOff);

    const QString big = dir.filePath(QStringLiteral("big.sqlite"));
    QElapsedTimer filling;
    filling.start();
    fill(big, 100000);
    std::printf("100,000 answers recorded one by one in %.1f s\n", double(filling.elapsed()) / 1000);
    std::vector<double> opening;
    for (int round = 0; round < 5; ++round) {
        SilentFeedback feedback;
        ProgressStore store(big);
        ProgressWindow window(store, feedback);
        QElapsedTimer clock;
        clock.start();
        window.Show();
        QCoreApplication::processEvents();
        opening.push_back(double(clock.nsecsElapsed()) / 1e6);
        window.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("opening the Progress window over 100,000 answers (file opened afresh each time): first %.1f ms, "
                "median %.1f ms, slowest %.1f ms (goal: within 200 ms)\n",
                opening.front(), percentile(opening, 0.5), *std::max_element(opening.begin(), opening.end()));
    return 0;
}
