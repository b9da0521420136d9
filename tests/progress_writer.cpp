// Writes numbered answers into a progress file, printing each number once it is in
// the file or kept beside it: the kill test stops it with SIGKILL at any moment, the
// start-together test runs two at once to the end.
// Usage: progress_writer FILE [COUNT [PREFIX]]   (no COUNT: for ever)
//        progress_writer --fast FILE             an answer every 10 ms, for ever, each printed as
//                                                given ("N MS", MS the monotonic clock's), as a window
//                                                logs an answer, without waiting for the record
#include "record/ProgressSchema.h"
#include "record/Record.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const bool fast = qstrcmp(argv[1], "--fast") == 0;
    if (fast && argc < 3)
        return 2;
    const long count = !fast && argc > 2 ? std::atol(argv[2]) : 0;
    const QString prefix = !fast && argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("item");
    Record record(QString::fromLocal8Bit(argv[fast ? 2 : 1]));
    const QString lesson = QLatin1String(ProgressSchema::FirstLesson);
    const qint64 run = record.runStarted(lesson, QStringLiteral("1a"), ProgressRecord::Variant::Basic, {});
    const auto settled = [&record] {
        record.settled().waitForFinished();
        QCoreApplication::sendPostedEvents(&record, QEvent::MetaCall);
        return record.status();
    };
    for (long n = 1; count == 0 || n <= count; ++n) {
        record.answerJudged({lesson, QStringLiteral("1a"), QStringLiteral("%1 %2").arg(prefix).arg(n), QStringLiteral("x"),
                             QStringLiteral("y"), n % 2 == 0, false, false, run});
        if (fast) {
            QElapsedTimer now;
            now.start();
            std::printf("%ld %lld\n", n, now.msecsSinceReference());
            std::fflush(stdout);
            QThread::msleep(10);
            continue;
        }
        if (!settled().takesAnswers)
            return 1;
        std::printf("%ld\n", n);
        std::fflush(stdout);
    }
    const QString problem = settled().problem;
    return problem.contains(QStringLiteral("another copy")) ? 0 : int(!problem.isEmpty());
}
