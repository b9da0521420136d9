#include "ClassServer.h"

#include "common/Settings.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Row-level security and scram-sha-256 passwords: PostgreSQL 10.
constexpr int OldestServer = 100000;

// libpq's words, which say what went wrong, made into what a learner can act on.
QString whyNotConnected(const ClassServer &to, const QString &said)
{
    const QString where = QStringLiteral("%1:%2").arg(to.server).arg(to.port);
    if (said.contains(u"password authentication failed"))
        return QStringLiteral("The password is not right for %1 on the class server.").arg(to.learner);
    if (said.contains(u"certificate") || said.contains(u"SSL"))
        return QStringLiteral("The class server %1 is not trusted: its certificate is not one of the school's CA file %2.")
            .arg(where, to.caFile);
    if (said.contains(u"no pg_hba.conf entry"))
        return QStringLiteral("The class server %1 does not take %2 in this way (encrypted or from this computer); "
                              "ask the administrator.").arg(where, to.learner);
    if (said.contains(u"does not exist"))
        return QStringLiteral("The class server %1 has no learner %2 or no database %3.").arg(where, to.learner, to.database);
    return QStringLiteral("The class server %1 cannot be reached (%2).").arg(where, said.simplified());
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
    server.allowUnencrypted = settings.value(QStringLiteral("allowUnencrypted"), false).toBool();
    return server;
}

QString ClassServer::open(const QString &connectionName) const
{
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
    const QString tls = allowUnencrypted ? QStringLiteral("sslmode=prefer")
                                         : QStringLiteral("sslmode=verify-full;sslrootcert=%1").arg(caFile);
    db.setConnectOptions(QStringLiteral("%1;connect_timeout=%2;options='-c statement_timeout=%3'")
                             .arg(tls)
                             .arg(timeoutSeconds)
                             .arg(timeoutSeconds * 1000));
    if (db.open())
        return {};
    return whyNotConnected(*this, db.lastError().databaseText());
}

QString ClassServer::test(QStringList *teaches) const
{
    const QString name = QStringLiteral("bimbala-class-test");
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
