#include "app/ClassReportCommand.h"
#include "app/CommandLine.h"
#include "app/Program.h"
#include "common/Feedback.h"
#include "common/RandomSource.h"
#include "speech/DesktopSpeaker.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help, version, a wrong option or no display: said plainly, before Qt would need a display.
    const CommandLine line = CommandLine::decide(arguments, QProcessEnvironment::systemEnvironment());
    if (!line.run) {
        std::fputs(line.output.toLocal8Bit().constData(), stdout);
        std::fputs(line.error.toLocal8Bit().constData(), stderr);
        return line.exitCode;
    }

    if (line.classReport) {
        QCoreApplication application(argc, argv);
        return printClassReport(line.reportLesson, line.reportCsv);
    }

    QApplication application(argc, argv);
    PrepareApplication();

    MessageBoxFeedback feedback;
    SeededRandom random;
    ProgressStore store(ProgressStore::defaultPath());
    Program program(feedback, random, &store);
    program.startWith(line.lessonFile);
    program.makeSpeaker = [] { return std::make_unique<DesktopSpeaker>(); };
    program.start();
    return QApplication::exec();
}
