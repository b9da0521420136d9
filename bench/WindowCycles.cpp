// Opens and closes every window of the program over and over, as a learner
// going from exercise to exercise would, and prints the resident memory after
// the first cycle, after the warm-up and at the end.
// Usage: bimbala_window_cycles [CYCLES] [WARMUP]   (defaults 1000 and 50)
#include "app/Program.h"
#include "app/alap.h"
#include "app/sobre.h"
#include "common/Feedback.h"
#include "common/RandomSource.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

class SilentFeedback final : public Feedback
{
public:
    void message(QWidget *, const QString &, Style, const QString &) override {}
    void beep() override {}
};

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Every exercise opened from the main menu, started, and closed again; then the About window.
void cycle(Program &program)
{
    for (Exercise exercise : AllExercises) {
        program.openFromMainMenu(exercise);
        ExerciseWindow *window = program.windowFor(exercise);
        window->control<QPushButton>(QStringLiteral("Command1"))->click();
        window->control<QPushButton>(QStringLiteral("Command3"))->click();
        settle();
    }
    program.showAbout();
    program.about().control<QPushButton>(QStringLiteral("Command1"))->click();
    settle();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    PrepareApplication();
    const int cycles = argc > 1 ? std::stoi(argv[1]) : 1000;
    const int warmup = argc > 2 ? std::stoi(argv[2]) : 50;

    SilentFeedback feedback;
    SeededRandom random(1);
    Program program(feedback, random);
    program.quit = [] {};
    program.showMainMenu(false);
    settle();

    cycle(program);
    const long first = residentKiB();
    for (int i = 1; i < warmup; ++i)
        cycle(program);
    const long warm = residentKiB();
    for (int i = 0; i < cycles; ++i)
        cycle(program);
    const long end = residentKiB();
    std::printf("platform %s: resident after 1 cycle %ld KiB, after %d %ld KiB, after %d more %ld KiB: "
                "%+ld KiB over the last %d cycles (%.2f KiB a cycle)\n",
                qPrintable(QGuiApplication::platformName()), first, warmup, warm, cycles, end, end - warm, cycles,
                double(end - warm) / cycles);
    program.end();
    return 0;
}
