#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A learner's class server, as the Class window and the administrator's settings
// give it, and the connection to it. Every connection is encrypted and the
// server's certificate checked against the school's CA for the very name typed
// (libpq's verify-full); nothing waits on it for long.
struct ClassServer
{
    QString server;
    int port = 5432;
    QString database;
    QString learner;
    QString password;
    QString caFile;
    // How long connecting, and then each statement, may take; a connection that stops
    // answering is given up after about as long.
    int timeoutSeconds = 5;

    // The [class] group of the settings: the administrator's /etc/xdg/bimbala/bimbala.conf
    // beneath the learner's own. The password is never among them.
    static ClassServer fromSettings();
    // learner@server:port/database: what one account on one server has, and no other.
    QString key() const;
    // A connection name that no other connection of the program has.
    static QString connectionName(const QString &purpose);

    // Opens a connection of this name (one per thread). Empty when it is open,
    // otherwise one sentence saying why not.
    QString open(const QString &connectionName) const;
    // Connects as the learner and checks the server: empty when all is well,
    // otherwise one sentence (wrong password, unreachable, certificate not trusted,
    // not a learner of this class, server too old). A teacher's name is no learner's:
    // `teaches`, where given, gets the classes of a teacher and says all is well.
    QString test(QStringList *teaches = nullptr) const;
};
