#pragma once

#include "ClassServer.h"
#include "common/Form.h"

#include <QObject>
#include <QFuture>

#include <memory>

class Feedback;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The learner's class server: where it is, who the learner is there, their
// password and the school's CA. Test asks the server on a thread of its own and
// says in one sentence how it went; Save keeps the settings in the learner's
// file and the password in the desktop keyring, never in a file. A teacher signs
// in here too: their name and password open the Class report.
class ClassWindow final : public Form
{
public:
    explicit ClassWindow(Feedback &feedback);

    // Told when the learner saved a class: the record goes to that server from then on.
    std::function<void(const ClassServer &)> joined;
    // Told when Test or Save found a teacher's name and password: their Class report opens.
    std::function<void(const ClassServer &)> teacherSignedIn;

private:
    void build(FormWidget &window) override;
    void Form_Load() override;
    void releaseControls() override { ui.reset(); }

    // The settings as the fields have them now, the password included.
    ClassServer shown() const;
    void browseClicked();
    void testClicked();
    void saveClicked();
    // Tests the connection on a thread of its own, Test and Save disabled meanwhile, then
    // tells `then` the sentence (empty: all is well) and a teacher's classes.
    void check(const ClassServer &server, std::function<void(const QString &said, const QStringList &teaches)> then);
    void signedInAsTeacher(const ClassServer &server, const QStringList &teaches);

    Feedback &feedback;
    // A test still running when the window closed keeps Test disabled when it opens again:
    // one test at a time, since each takes the same connection name.
    struct Tested
    {
        QString said;
        QStringList teaches;
    };
    QFuture<Tested> testing;
    // Results reach the window only while it lives.
    QObject alive;

    struct Widgets
    {
        // The server's address, its database, the learner's account and the CA's certificate.
        QLineEdit *server = nullptr, *database = nullptr, *learner = nullptr, *password = nullptr, *caFile = nullptr;
        QSpinBox *port = nullptr;
        QPushButton *test = nullptr, *save = nullptr;
        QLabel *said = nullptr;    // what Test or Save found
        QLabel *keyring = nullptr; // that the password is kept for this run only
    };
    std::unique_ptr<Widgets> ui;
};
