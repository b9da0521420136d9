// Opening and closing windows must not grow memory: once the first rounds have
// filled the caches, more rounds leave the live heap where it was.
#include "TestSupport.h"
#include "WindowCycles.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// Bytes in live allocations, not counting memory freed but kept by the allocator.
qint64 liveHeapBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}

} // namespace

class tst_WindowCycles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareApplication(); }

    void memoryStaysFlat()
    {
        RecordingFeedback feedback;
        ScriptedRandom random;
        // The record in a file, as the program keeps it (in memory it would grow with every run started).
        QTemporaryDir dir;
        Record store(dir.filePath(QStringLiteral("progress.sqlite")));
        Program program(feedback, random, &store);
        program.quit = [] {};
        program.showMainMenu(false);
        // Warm: the record's page cache (256 KiB) has filled with the pages of the runs written.
        for (int round = 0; round < 40; ++round)
            OpenAndCloseEveryWindow(program);
        const qint64 warm = liveHeapBytes();
        const int rounds = 40;
        for (int round = 0; round < rounds; ++round)
            OpenAndCloseEveryWindow(program);
        const qint64 grown = liveHeapBytes() - warm;
        qInfo("live heap after %d more rounds of every window: %+lld bytes", rounds, static_cast<long long>(grown));
        // Before palettes and icons were shared, each round left some 20 KB in the style's pixmap cache.
        QVERIFY2(grown < 100 * 1024, qPrintable(QString::number(grown)));
        program.end();
    }
};

QTEST_MAIN(tst_WindowCycles)
#include "tst_window_cycles.moc"
