#include "ClassPassword.h"

#include "ClassServer.h"

#include <QHash>
#include <QObject>

#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("bimbala");

// Passwords the keyring could not take, for this run only (GUI thread).
QHash<QString, QString> &keptInMemory()
{
    static QHash<QString, QString> kept;
    return kept;
}

// No keyring at all (no D-Bus session, no secret service), or one that refused:
// the password lives as long as the program. A missing entry is simply no password yet.
bool keyringMissing(const QKeychain::Job &job)
{
    return job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound;
}

QString memoryNote()
{
    return QStringLiteral("There is no desktop keyring to keep the password in, so Bimbala! keeps it only until it ends.");
}

} // namespace

QString ClassPassword::key(const ClassServer &server)
{
    return server.key();
}

void ClassPassword::read(const QString &key, QObject *context,
                         std::function<void(const QString &password, const QString &note)> done)
{
    auto *job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(key);
    // Never the library's fallback to a plain file.
    job->setInsecureFallback(false);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, key, done = std::move(done)] {
        if (job->error() == QKeychain::NoError)
            done(job->textData(), {});
        else
            done(keptInMemory().value(key), keyringMissing(*job) ? memoryNote() : QString());
    });
    job->start();
}

void ClassPassword::write(const QString &key, const QString &password, QObject *context,
                          std::function<void(const QString &note)> done)
{
    auto *job = new QKeychain::WritePasswordJob(Service);
    job->setKey(key);
    job->setInsecureFallback(false);
    job->setTextData(password);
    // Kept here even when the window that saved it has closed meanwhile.
    QObject::connect(job, &QKeychain::Job::finished, job, [job, key, password] {
        if (keyringMissing(*job))
            keptInMemory().insert(key, password);
        else
            keptInMemory().remove(key);
    });
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [job, done = std::move(done)] { done(keyringMissing(*job) ? memoryNote() : QString()); });
    job->start();
}
