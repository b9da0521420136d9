#pragma once

#include <QString>

#include <functional>

// Which copies of the program use a record now: each holds a shared lock on a file
// beside it (progress.sqlite.running, an open file description lock of Linux) for as
// long as it runs, the kernel giving it back when the copy ends however it ends. A copy
// that takes the lock alone knows no other copy runs: a run the record holds with no
// end was left so by a copy that ended without ending it.
class RunningLock
{
public:
    explicit RunningLock(QString recordPath);
    // Gives the lock back; the last copy to go removes the file.
    ~RunningLock();
    RunningLock(const RunningLock &) = delete;
    RunningLock &operator=(const RunningLock &) = delete;

    // Unusable: the file can be neither made nor opened (another user's, say), so copies
    // cannot be told apart: this one writes as before and ends no run of another.
    enum class Held { No, Shared, Alone, Unusable };
    // Takes the lock unless held: alone where no other copy holds it, otherwise shared
    // (only shared where the file can only be read), waiting at most `waitMs` for a copy
    // that holds it alone a moment (calling `whileWaiting` between tries). No: that wait
    // was too long.
    Held take(int waitMs, const std::function<void()> &whileWaiting);
    // Alone no longer: other copies may take it too.
    void share();
    Held held() const { return state; }

private:
    // The file at the path is still the one locked (a copy that went last may have removed it).
    bool stillThere() const;

    QString path;
    int descriptor = -1;
    Held state = Held::No;
};
