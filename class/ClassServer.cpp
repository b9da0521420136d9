#include "ClassServer.h"

#include "ServerText.h"
#include "common/Settings.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Row-level security and scram-sha-256 passwords: PostgreSQL 10.
constexpr int OldestServer = 100000;

// A value as libpq reads it in a connection string: quoted, its quotes and backslashes escaped.
QString quoted(QString value)
{
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + value + u'\'';
}

// What is wrong with the school's CA file before the server is asked at all.
QString caProblem(const QString &caFile)
{
    if (caFile.isEmpty())
        return QStringLiteral("No school's CA file is set: without it the class server cannot be told from an impostor.");
    const QFileInfo file(caFile);
    if (!file.exists())
        return QStringLiteral("The school's CA file %1 does not exist.").arg(caFile);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("The school's CA file %1 cannot be read.").arg(caFile);
    // Qt's driver turns every ';' of its options into a blank: such a name cannot be passed whole.
    if (caFile.contains(u';'))
        return QStringLiteral("The school's CA file %1 has a ';' in its name, which the connection cannot take; "
                              "move it to a name without one.").arg(caFile);
    return {};
}

// libpq's words, which say what went wrong, made into what a learner can act on.
QString whyNotConnected(const ClassServer &to, const QString &said)
{
    const QString where = QStringLiteral("%1:%2").arg(to.server).arg(to.port);
    if (said.contains(u"password authentication failed"))
        return QStringLiteral("The password is not right for %1 on the class server.").arg(to.learner);
    if (said.contains(u"does not support SSL"))
        return QStringLiteral("The class server %1 does not offer an encrypted connection, so it is not used; "
                              "ask the administrator to switch TLS on.").arg(where);
    if (said.contains(u"does not match host name"))
        return QStringLiteral("The certificate of the class server %1 is made out to another name: type the server's "
                              "name as the administrator gave it.").arg(where);
    if (said.contains(u"root certificate file"))
        return QStringLiteral("The school's CA file %1 holds no certificate that can be read.").arg(to.caFile);
    if (said.contains(u"certificate") || said.contains(u"SSL"))
        return QStringLiteral("The class server %1 is not trusted: its certificate is not one of the school's CA file %2.")
            .arg(where, to.caFile);
    if (said.contains(u"no pg_hba.conf entry"))
        return QStringLiteral("The class server %1 does not take %2 in this way (encrypted or from this computer); "
                              "ask the administrator.").arg(where, to.learner);
    if (said.contains(u"too many connections"))
        return QStringLiteral("The class server %1 takes no more connections of %2 just now.").arg(where, to.learner);
    if (said.contains(u"does not exist"))
        return QStringLiteral("The class server %1 has no learner %2 or no database %3.").arg(where, to.learner, to.database);
    return QStringLiteral("The class server %1 cannot be reached (%2).").arg(where, serverLine(said));
}

} // namespace

ClassServer ClassServer::fromSettings()
{
    QSettings settings = programSettings();
    settings.beginGroup(QStringLiteral("class"));
    ClassServer server;
    server.server = settings.value(QStringLiteral("server")).toString();
    server.port = settings.value(QStringLiteral("port"), 5432).toInt();
    server.database = settings.value(QStringLiteral("database")).toString();
    server.learner = settings.value(QStringLiteral("learner")).toString();
    server.caFile = settings.value(QStringLiteral("caFile")).toString();
    return server;
}

QString ClassServer::key() const
{
    return QStringLiteral("%1@%2:%3/%4").arg(learner, server).arg(port).arg(database);
}

QString ClassServer::connectionName(const QString &purpose)
{
    static QAtomicInteger<quint64> made;
    return QStringLiteral("bimbala-%1-%2").arg(purpose).arg(++made);
}

QString ClassServer::open(const QString &connectionName) const
{
    if (const QString problem = caProblem(caFile); !problem.isEmpty())
        return problem;
    QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName, false)
                                                             : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid())
        return QStringLiteral("Qt's PostgreSQL driver is missing: the Debian package libqt6sql6-psql gives it.");
    db.setHostName(server);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(learner);
    db.setPassword(password);
    // verify-full: encrypted, and the certificate is the school's for this very host name.
    // Keepalives and the TCP user time-out give up a connection whose server has gone
    // (a laptop leaving the school's network) instead of waiting for hours.
    db.setConnectOptions(QStringList{QStringLiteral("sslmode=verify-full"),
                                     QStringLiteral("sslrootcert=") + quoted(caFile),
                                     QStringLiteral("connect_timeout=%1").arg(timeoutSeconds),
                                     QStringLiteral("keepalives=1"),
                                     QStringLiteral("keepalives_idle=%1").arg(timeoutSeconds),
                                     QStringLiteral("keepalives_interval=1"),
                                     QStringLiteral("keepalives_count=%1").arg(timeoutSeconds),
                                     QStringLiteral("tcp_user_timeout=%1").arg(timeoutSeconds * 1000),
                                     QStringLiteral("options=") + quoted(QStringLiteral("-c statement_timeout=%1")
                                                                             .arg(timeoutSeconds * 1000))}
                             .join(u';'));
    if (db.open())
        return {};
    return whyNotConnected(*this, db.lastError().databaseText());
}

QString ClassServer::test(QStringList *teaches) const
{
    // Each test a connection of its own: two may run at once (Test, and Save testing).
    const QString name = connectionName(QStringLiteral("test"));
    if (teaches)
        teaches->clear();
    QString problem = open(name);
    if (problem.isEmpty()) {
        QSqlQuery query(QSqlDatabase::database(name, false));
        if (query.exec(QStringLiteral("SHOW server_version_num")) && query.next() && query.value(0).toInt() < OldestServer)
            problem = QStringLiteral("The class server runs PostgreSQL %1; the class needs 10 or later.")
                          .arg(query.value(0).toInt() / 10000);
        else if (teaches && query.exec(QStringLiteral("SELECT pg_has_role('bimbala_teacher', 'MEMBER')")) && query.next() &&
                 query.value(0).toBool()) {
            // A teacher sees its own rows of the teachers' list only.
            query.exec(QStringLiteral("SELECT class FROM bimbala.teachers ORDER BY class"));
            while (query.next())
                *teaches << query.value(0).toString();
            if (teaches->isEmpty())
                problem = QStringLiteral("%1 is not a teacher of a class on this server.").arg(learner);
        }
        // A learner sees its own entry in the class's list only.
        else if (!query.exec(QStringLiteral("SELECT 1 FROM bimbala.learners")) || !query.next())
            problem = QStringLiteral("%1 is not a learner of a class on this server.").arg(learner);
    }
    QSqlDatabase::removeDatabase(name);
    return problem;
}
