#pragma once

#include <QFuture>
#include <QObject>
#include <QPromise>
#include <QThread>

#include <memory>
#include <type_traits>
#include <utility>

// Runs `work` on a thread of its own and gives its result as a future (see whenDone).
// Not a pool's thread: work that waits on the network may still run when the program
// ends, and the end does not wait for it (a pool is waited for at exit).
template <typename Work, typename T = std::invoke_result_t<Work>>
QFuture<T> inBackground(Work work)
{
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    QThread *thread = QThread::create([promise, work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<T>)
            work();
        else
            promise->addResult(work());
        promise->finish();
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return future;
}
