#pragma once

#include <QString>

#include <functional>

class QObject;
struct ClassServer;

// The learner's password for the class server, kept in the desktop keyring
// (service "bimbala"), never in a file. Where there is no keyring, it is kept
// in memory until the program ends, and `note` says so in one sentence.
namespace ClassPassword {

// learner@server:port/database: one password per account on one server.
QString key(const ClassServer &server);

// Both ask the keyring without waiting for it; `done` is told on the GUI thread,
// and not at all once `context` is gone. `note` is empty where the keyring answered.
void read(const QString &key, QObject *context, std::function<void(const QString &password, const QString &note)> done);
void write(const QString &key, const QString &password, QObject *context, std::function<void(const QString &note)> done);

} // namespace ClassPassword
