#include "app/ClassReportCommand.h"
#include "app/CommandLine.h"
#include "app/Program.h"
#include "common/Feedback.h"
#include "common/RandomSource.h"
#include "speech/SpeechModule.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help, version, a wrong option or no display: said plainly, before Qt would need a display.
    const CommandLine line = CommandLine::decide(arguments, QProcessEnvironment::systemEnvironment());
    if (!line.run) {
        // Whole, whatever they hold: a NUL in a lesson's text must not cut off what follows.
        const QByteArray output = line.output.toLocal8Bit();
        const QByteArray error = line.error.toLocal8Bit();
        std::fwrite(output.constData(), 1, std::size_t(output.size()), stdout);
        std::fwrite(error.constData(), 1, std::size_t(error.size()), stderr);
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
    int exitCode = 0;
    {
        Record record(Record::defaultPath());
        Program program(feedback, random, &record);
        program.startWith(line.lessonFile);
        program.makeSpeaker = SpeechModule::makeDesktopSpeaker;
        program.start();
        // The session ends or the program is told to: a run still open was cut short.
        QObject::connect(&application, &QCoreApplication::aboutToQuit, &application, [&program] { program.interruptRuns(); });
        exitCode = QApplication::exec();
    }
    // The record is written and closed. A class sync still held by the network is not
    // waited for: the program ends now, as End promises.
    if (ClassSync::leftRunning())
        std::_Exit(exitCode);
    return exitCode;
}
