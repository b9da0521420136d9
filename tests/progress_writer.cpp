// Writes numbered answers into a progress file, printing each number once its
// write has returned: the kill test stops it with SIGKILL at any moment, the
// start-together test runs two at once to the end.
// Usage: progress_writer FILE [COUNT [PREFIX]]   (no COUNT: for ever)
#include "record/ProgressStore.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const long count = argc > 2 ? std::atol(argv[2]) : 0;
    const QString prefix = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("item");
    ProgressStore store(QString::fromLocal8Bit(argv[1]));
    store.runStarted(QStringLiteral("1a"), ProgressRecord::Variant::Basic, {});
    for (long n = 1; count == 0 || n <= count; ++n) {
        store.answerJudged({QStringLiteral("1a"), QStringLiteral("%1 %2").arg(prefix).arg(n), QStringLiteral("x"),
                            QStringLiteral("y"), n % 2 == 0, false, false});
        if (!store.writable())
            return 1;
        std::printf("%ld\n", n);
        std::fflush(stdout);
    }
    return store.problem().contains(QStringLiteral("another copy")) ? 0 : int(!store.problem().isEmpty());
}
