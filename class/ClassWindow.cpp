#include "ClassWindow.h"

#include "ClassPassword.h"
#include "common/InBackground.h"
#include "common/Logging.h"
#include "common/PlainControls.h"
#include "common/WhenDone.h"

#include "common/Feedback.h"
#include "common/Module2.h"
#include "common/Settings.h"
#include "common/Topmost.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

namespace {

QLineEdit *field(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

ClassWindow::ClassWindow(Feedback &feedback) : Form(QStringLiteral("class")), feedback(feedback) {}

void ClassWindow::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    window.setWindowTitle(QStringLiteral("  Bimbala!   ---   Class"));
    auto *client = new QWidget(&window);
    window.setCentralWidget(client);
    auto *layout = new QVBoxLayout(client);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    ui->server = field(QStringLiteral("server"), client);
    ui->port = new QSpinBox(client);
    ui->port->setObjectName(QStringLiteral("port"));
    ui->port->setRange(1, 65535);
    // The box inside the spin box takes the focus: it is the one a screen reader names.
    ui->port->findChild<QLineEdit *>()->setAccessibleName(QStringLiteral("Port"));
    ui->database = field(QStringLiteral("database"), client);
    ui->learner = field(QStringLiteral("learner"), client);
    ui->password = field(QStringLiteral("password"), client);
    ui->password->setEchoMode(QLineEdit::Password);
    ui->caFile = field(QStringLiteral("caFile"), client);
    auto *browse = new QPushButton(QStringLiteral("&Browse..."), client);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAccessibleName(QStringLiteral("Browse for the school's CA file"));
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(ui->caFile);
    caRow->addWidget(browse);
    // The labels are the fields' buddies, so a screen reader names each field by its label.
    // R: S is Save's.
    form->addRow(QStringLiteral("Se&rver:"), ui->server);
    form->addRow(QStringLiteral("P&ort:"), ui->port);
    form->addRow(QStringLiteral("&Database:"), ui->database);
    form->addRow(QStringLiteral("Learner &name:"), ui->learner);
    form->addRow(QStringLiteral("&Password:"), ui->password);
    form->addRow(QStringLiteral("School's C&A file:"), caRow);
    qobject_cast<QLabel *>(form->labelForField(caRow))->setBuddy(ui->caFile);

    ui->said = PlainControls::sentence(QStringLiteral("said"), client);
    ui->keyring = PlainControls::sentence(QStringLiteral("keyring"), client);
    layout->addWidget(ui->said);
    layout->addWidget(ui->keyring);

    auto *buttons = new QHBoxLayout;
    ui->test = new QPushButton(QStringLiteral("&Test"), client);
    ui->test->setObjectName(QStringLiteral("test"));
    ui->save = new QPushButton(QStringLiteral("&Save"), client);
    ui->save->setObjectName(QStringLiteral("save"));
    auto *close = new QPushButton(QStringLiteral("C&lose"), client);
    close->setObjectName(QStringLiteral("close"));
    buttons->addWidget(ui->test);
    buttons->addWidget(ui->save);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    QObject::connect(browse, &QPushButton::clicked, client, [this] { browseClicked(); });
    QObject::connect(ui->test, &QPushButton::clicked, client, [this] { testClicked(); });
    QObject::connect(ui->save, &QPushButton::clicked, client, [this] { saveClicked(); });
    QObject::connect(close, &QPushButton::clicked, client, [this] { Unload(); });
}

void ClassWindow::Form_Load()
{
    const ClassServer saved = ClassServer::fromSettings();
    ui->server->setText(saved.server);
    ui->port->setValue(saved.port);
    ui->database->setText(saved.database);
    ui->learner->setText(saved.learner);
    ui->caFile->setText(saved.caFile);
    ui->test->setEnabled(!testing.isRunning());
    ui->save->setEnabled(!testing.isRunning());
    // The keyring may answer after the window has gone (a teacher's report opened in its place),
    // or the whole program: the answer reaches this object only while it lives, its controls only
    // while they do.
    ClassPassword::read(ClassPassword::key(saved), &alive, [this](const QString &password, const QString &note) {
        if (!isLoaded())
            return;
        // What the learner typed meanwhile wins.
        if (ui->password->text().isEmpty())
            ui->password->setText(password);
        ui->keyring->setText(note);
    });
    window()->adjustSize();
    followReadingOrder(*window());
    CentreForm(window());
    // Opened from the Progress window, which stays on top.
    SetTopmost(window(), true);
}

ClassServer ClassWindow::shown() const
{
    // What the administrator set that the window does not show (unencrypted allowed) stays as set.
    ClassServer server = ClassServer::fromSettings();
    server.server = ui->server->text().trimmed();
    server.port = ui->port->value();
    server.database = ui->database->text().trimmed();
    server.learner = ui->learner->text().trimmed();
    server.password = ui->password->text();
    server.caFile = ui->caFile->text().trimmed();
    return server;
}

void ClassWindow::browseClicked()
{
    QString file;
    runModal([&] {
        file = feedback.openFileName(window(), QStringLiteral("The school's CA file"),
                                     QFileInfo(ui->caFile->text()).path(),
                                     QStringLiteral("Certificates (*.crt *.pem);;All files (*)"));
    });
    if (!file.isEmpty() && isLoaded())
        ui->caFile->setText(file);
}

void ClassWindow::check(const ClassServer &server,
                        std::function<void(const QString &said, const QStringList &teaches)> then)
{
    // Connecting may take the whole time-out: the window goes on meanwhile.
    testing = inBackground([server] {
        Tested tested;
        tested.said = server.test(&tested.teaches);
        return tested;
    });
    whenDone(testing, &alive, [this, then](const Tested &tested) {
        if (!isLoaded())
            return;
        ui->test->setEnabled(true);
        ui->save->setEnabled(true);
        if (!tested.said.isEmpty())
            qCWarning(logClass, "%s", qUtf8Printable(tested.said));
        then(tested.said, tested.teaches);
    });
    ui->test->setEnabled(false);
    ui->save->setEnabled(false);
}

void ClassWindow::testClicked()
{
    const ClassServer server = shown();
    ui->said->setText(QStringLiteral("Testing the connection to %1...").arg(server.server));
    check(server, [this, server](const QString &said, const QStringList &teaches) {
        if (!said.isEmpty())
            ui->said->setText(said);
        else if (teaches.isEmpty())
            ui->said->setText(QStringLiteral("Connected: %1 is a learner of this class.").arg(server.learner));
        else
            signedInAsTeacher(server, teaches);
    });
}

void ClassWindow::signedInAsTeacher(const ClassServer &server, const QStringList &teaches)
{
    ui->said->setText(QStringLiteral("Connected: %1 teaches %2.").arg(server.learner, teaches.join(QStringLiteral(", "))));
    if (teacherSignedIn)
        teacherSignedIn(server);
}

void ClassWindow::saveClicked()
{
    const ClassServer server = shown();
    QSettings settings = programSettings();
    settings.beginGroup(QStringLiteral("class"));
    settings.setValue(QStringLiteral("server"), server.server);
    settings.setValue(QStringLiteral("port"), server.port);
    settings.setValue(QStringLiteral("database"), server.database);
    settings.setValue(QStringLiteral("learner"), server.learner);
    settings.setValue(QStringLiteral("caFile"), server.caFile);
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        ui->said->setText(QStringLiteral("The settings could not be written to %1.").arg(settings.fileName()));
        return;
    }
    ClassPassword::write(ClassPassword::key(server), server.password, &alive, [this](const QString &note) {
        if (isLoaded())
            ui->keyring->setText(note);
    });
    // A teacher has no record to send; a learner's goes over from now on, or once the server
    // can be reached.
    ui->said->setText(QStringLiteral("Saved; testing the connection to %1...").arg(server.server));
    check(server, [this, server](const QString &said, const QStringList &teaches) {
        QSettings saved = programSettings();
        saved.setValue(QStringLiteral("class/teacher"), !teaches.isEmpty());
        if (!teaches.isEmpty()) {
            signedInAsTeacher(server, teaches);
            return;
        }
        ui->said->setText(said.isEmpty() ? QStringLiteral("Saved.") : QStringLiteral("Saved. ") + said);
        if (joined)
            joined(server);
    });
}
