// Opens and closes every window of the program over and over, as a learner
// going from exercise to exercise would, and prints the resident memory after
// the first cycle, after the warm-up and at the end.
// Usage: bimbala_window_cycles [CYCLES] [WARMUP]   (defaults 1000 and 50)
#include "app/Program.h"
#include "SilentFeedback.h"
#include "common/RandomSource.h"
#include "tests/WindowCycles.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
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
    // The record in a file, as the program keeps it: every Start adds a run to it.
    QTemporaryDir dir;
    Record store(dir.filePath(QStringLiteral("progress.sqlite")));
    Program program(feedback, random, &store);
    program.quit = [] {};
    program.showMainMenu(false);

    OpenAndCloseEveryWindow(program);
    const long first = residentKiB();
    for (int i = 1; i < warmup; ++i)
        OpenAndCloseEveryWindow(program);
    const long warm = residentKiB();
    for (int i = 0; i < cycles; ++i)
        OpenAndCloseEveryWindow(program);
    const long end = residentKiB();
    std::printf("platform %s: resident after 1 cycle %ld KiB, after %d %ld KiB, after %d more %ld KiB: "
                "%+ld KiB over the last %d cycles (%.2f KiB a cycle)\n",
                qPrintable(QGuiApplication::platformName()), first, warmup, warm, cycles, end, end - warm, cycles,
                double(end - warm) / cycles);
    program.end();
    return 0;
}
