// Writes numbered answers into a progress file for ever, printing each number
// once its write has returned: the kill test stops it with SIGKILL at any moment.
// Usage: progress_writer FILE
#include "progress/ProgressStore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    ProgressStore store(QString::fromLocal8Bit(argv[1]));
    store.runStarted(QStringLiteral("1a"), ProgressRecord::Variant::Basic, {});
    for (long n = 1;; ++n) {
        store.answerJudged({QStringLiteral("1a"), QStringLiteral("item %1").arg(n), QStringLiteral("x"),
                            QStringLiteral("y"), n % 2 == 0, false, false});
        if (!store.writable())
            return 1;
        std::printf("%ld\n", n);
        std::fflush(stdout);
    }
}
