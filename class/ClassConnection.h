#pragma once

#include "ClassServer.h"
#include "ClassSync.h"

#include <QObject>

#include <functional>
#include <memory>

class Record;

// The learner's class on the school's server: the class saved before, joined at start
// as soon as the keyring gives its password (or the learner, where there is no keyring),
// and the sync that sends the record there once a class is joined.
class ClassConnection
{
public:
    explicit ClassConnection(Record &record) : record(record) {}

    // The class saved in the settings, joined once its password is known. `askPassword` asks
    // the learner for it where no keyring keeps it; empty: not given.
    void rejoin(std::function<QString(const ClassServer &)> askPassword);
    // Sends the record to the class server from now on (replacing an earlier connection).
    void join(const ClassServer &server);
    // The sync of the class joined; nullptr while none is.
    ClassSync *sync() const { return classSync.get(); }
    // Told whenever the sync changes (made or replaced).
    std::function<void(ClassSync *)> syncChanged;

private:
    Record &record;
    std::unique_ptr<ClassSync> classSync;
    bool rejoined = false;
    // What the keyring answers reaches the connection while it lives.
    QObject alive;
};
