#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <type_traits>
#include <utility>

// Runs `done` with the future's result on the thread of `context`, once the future
// is finished, and not at all once `context` is gone. (Qt 6.4's QFuture::then with a
// context object asserts when the context goes first.)
template <typename T, typename Done>
void whenDone(QFuture<T> future, QObject *context, Done &&done)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, done = std::forward<Done>(done)]() mutable {
        watcher->deleteLater();
        if constexpr (std::is_void_v<T>)
            done();
        else
            done(watcher->result());
    });
    watcher->setFuture(std::move(future));
}
