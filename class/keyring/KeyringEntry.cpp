// What the keyring module exports to the program: QtKeychain's jobs, as answers.
#include "Keyring.h"

#include "common/ProgramModule.h"

#include <QObject>

#include <qt6keychain/keychain.h>

BIMBALA_MODULE_IDENTITY(Keyring::Interface)

namespace {

const QString Service = QStringLiteral("bimbala");

Keyring::Answer answerOf(const QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::NoError: return Keyring::Answer::Done;
    case QKeychain::EntryNotFound: return Keyring::Answer::NoEntry;
    default: return Keyring::Answer::Missing;
    }
}

template <typename Job>
Job *job(const QString &key)
{
    auto *made = new Job(Service);
    made->setKey(key);
    // Never the library's fallback to a plain file.
    made->setInsecureFallback(false);
    return made;
}

} // namespace

extern "C" Q_DECL_EXPORT void bimbala_keyring_read(const QString &key, QObject *context,
                                                   std::function<void(Keyring::Answer, const QString &)> done)
{
    auto *read = job<QKeychain::ReadPasswordJob>(key);
    QObject::connect(read, &QKeychain::Job::finished, context,
                     [read, done = std::move(done)] { done(answerOf(*read), read->textData()); });
    read->start();
}

extern "C" Q_DECL_EXPORT void bimbala_keyring_write(const QString &key, const QString &password, QObject *context,
                                                    std::function<void(Keyring::Answer)> done)
{
    auto *write = job<QKeychain::WritePasswordJob>(key);
    write->setTextData(password);
    QObject::connect(write, &QKeychain::Job::finished, context, [write, done = std::move(done)] { done(answerOf(*write)); });
    write->start();
}
