// How long an answer box or story gap takes to judge whatever a learner pastes
// into it, up to 1 MB: the paste itself (the box keeps what it holds of it, with
// control characters as blanks) and then Enter, until the answer is judged.
// Usage: bimbala_paste_judging [REPEATS]   (default 5)
#include "app/Program.h"
#include "SilentFeedback.h"
#include "common/RandomSource.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int OneMegabyte = 1 << 20;

// Pastes of 1 MB of UTF-8 each, as a learner might produce by accident.
std::vector<std::pair<const char *, QString>> pastes()
{
    const QString word = QStringLiteral("orvosnak");
    const auto fill = [](const QString &piece) {
        QString text;
        while (text.toUtf8().size() + piece.toUtf8().size() <= OneMegabyte)
            text += piece;
        return text;
    };
    const QString blanks(OneMegabyte / 2 - 8, u' ');
    return {
        {"blanks around an answer", blanks + word + blanks},
        {"runs of two blanks", fill(QStringLiteral("a  "))},
        {"letters", fill(QStringLiteral("abcdefgh"))},
        {"Hungarian letters", fill(QStringLiteral(u"őűáé"))},
        {"line breaks and tabs", fill(QStringLiteral("\tab\r\n"))},
        {"emoji", fill(QStringLiteral(u"😀"))},
        {"decomposed accents", fill(QStringLiteral(u"o\u030be\u0301"))},
        {"right-to-left text", fill(QStringLiteral(u"שלום مرحبا "))},
    };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    PrepareApplication();
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    SilentFeedback feedback;
    SeededRandom random(1);
    Program program(feedback, random);
    program.quit = [] {};
    program.showMainMenu(false);

    double worst = 0;
    const auto kinds = pastes();
    // Lesson 7's 1a, 4, 3 and 6: one exercise of each shape.
    for (Exercise exercise : {Exercise{0}, Exercise{5}, Exercise{4}, Exercise{7}}) {
        program.openFromMainMenu(exercise);
        ExerciseWindow *window = program.windowFor(exercise);
        window->control<QPushButton>(QStringLiteral("Command1"))->click();
        for (const auto &[name, text] : kinds) {
            std::vector<double> took;
            for (int i = 0; i < repeats; ++i) {
                auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
                if (!box)
                    box = window->control<QLineEdit>(QStringLiteral("Text1"));
                if (!box)
                    box = window->control<QLineEdit>(QStringLiteral("Text1_0"));
                box->setFocus();
                QGuiApplication::clipboard()->setText(text);
                QElapsedTimer clock;
                clock.start();
                box->selectAll();
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(box, Qt::Key_Return);
                took.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
            const double slowest = *std::max_element(took.begin(), took.end());
            worst = std::max(worst, slowest);
            std::printf("%-8s %-26s median %7.2f ms, slowest %7.2f ms\n", qPrintable(window->name()), name,
                        median(took), slowest);
        }
        window->control<QPushButton>(QStringLiteral("Command3"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("slowest paste and judging of 1 MB: %.2f ms (goal: within 50 ms) %s\n", worst,
                worst <= 50 ? "met" : "NOT met");
    program.end();
    return worst <= 50 ? 0 : 1;
}
