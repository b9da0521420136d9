#include "RunningLock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int StepMs = 10;

// The whole file, locked for this open file description (not the process: two records
// of one process are two copies here), without waiting.
bool lock(int descriptor, short type)
{
    struct flock range{};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    int result = 0;
    do
        result = fcntl(descriptor, F_OFD_SETLK, &range);
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool sameFile(int descriptor, const QByteArray &path)
{
    struct stat opened{};
    struct stat named{};
    return fstat(descriptor, &opened) == 0 && stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

RunningLock::RunningLock(QString recordPath) : path(recordPath + QStringLiteral(".running")) {}

RunningLock::~RunningLock()
{
    if (descriptor < 0)
        return;
    close(descriptor);
    // The last copy to go takes the file alone once more and removes it; a copy starting
    // meanwhile finds it gone and makes it anew.
    const QByteArray name = QFile::encodeName(path);
    const int last = open(name.constData(), O_RDWR | O_CLOEXEC);
    if (last < 0)
        return;
    if (lock(last, F_WRLCK) && sameFile(last, name))
        unlink(name.constData());
    close(last);
}

bool RunningLock::stillThere() const
{
    return sameFile(descriptor, QFile::encodeName(path));
}

RunningLock::Held RunningLock::take(int waitMs, const std::function<void()> &whileWaiting)
{
    if (state != Held::No)
        return state;
    const QByteArray name = QFile::encodeName(path);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        bool writable = true;
        descriptor = open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0 && errno == EACCES) {
            writable = false;
            descriptor = open(name.constData(), O_RDONLY | O_CLOEXEC);
        }
        if (descriptor < 0) {
            state = Held::Unusable;
            return state;
        }
        bool taken = writable && lock(descriptor, F_WRLCK);
        if (taken) {
            state = Held::Alone;
        } else {
            while (!(taken = lock(descriptor, F_RDLCK)) && waited.elapsed() < waitMs) {
                if (whileWaiting)
                    whileWaiting();
                QThread::msleep(StepMs);
            }
            if (taken)
                state = Held::Shared;
        }
        // Locked as the last copy removed it: the file to lock is the one made anew.
        if (taken && stillThere())
            return state;
        state = Held::No;
        close(descriptor);
        descriptor = -1;
        if (taken && waited.elapsed() < waitMs + 1000)
            continue;
        return state;
    }
}

void RunningLock::share()
{
    // A lock of one open file description changes from write to read at once: no other
    // copy can take it alone in between.
    if (state == Held::Alone && lock(descriptor, F_RDLCK))
        state = Held::Shared;
}
