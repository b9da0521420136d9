// Another lesson than lesson 7, as a teacher writes one: opened, played in every
// shape, recorded under its own id and shown in Progress; a broken or vanished
// lesson leaves the learner with the lesson they had.
#include "ExerciseSession.h"

#include "lesson/LessonHistory.h"
#include "progress/ProgressWindow.h"
#include "record/Record.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QProgressDialog>
#include <QTimer>

namespace {

const QString Second = QStringLiteral(BIMBALA_TEST_LESSONS "/second/second.yaml");

// The figure the Progress window shows in a row of its exercise table.
QString progressCell(ProgressWindow &progress, int row, int column)
{
    auto *grid = qobject_cast<QGridLayout *>(progress.window()->findChild<QGroupBox *>()->layout());
    return qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget())->text();
}

} // namespace

class tst_SecondLesson : public ExerciseSession
{
    Q_OBJECT

    // Picks an item of the Lesson menu as the learner does.
    void chooseLesson(const QString &action)
    {
        auto *menu = program->mainMenu().window()->findChild<QMenu *>(QStringLiteral("mnuLesson"));
        emit menu->aboutToShow();
        menu->findChild<QAction *>(action)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QStringList menuCaptions() const
    {
        QStringList captions;
        for (const QPushButton *button : program->mainMenu().window()->findChildren<QPushButton *>())
            if (button->objectName() != u"Command1")
                captions << button->text();
        return captions;
    }
    void answer(QWidget *box, const QString &text)
    {
        TestSupport::retype(box, text);
        TestSupport::pressEnter(box);
    }

private Q_SLOTS:
    void init()
    {
        ExerciseSession::init();
        QSettings(QStringLiteral("bimbala"), QStringLiteral("bimbala")).clear();
    }

    void playedRecordedAndShown()
    {
        program->startWith(Second);
        program->showMainMenu(false);
        QCOMPARE(menuCaptions(), (QStringList{"8&a", "8&b", "8&c"}));
        QVERIFY(program->mainMenu().window()->windowTitle().contains(u"8. lecke"));

        open(Exercise{0}); // the drill: its two basic words
        startButton()->click();
        for (int i = 0; i < 2; ++i) {
            const QString cue = find<QLabel>(QStringLiteral("Label8"))->text().trimmed();
            answer(find<QLineEdit>(QStringLiteral("Text1")), cue == u"ház" ? QStringLiteral("házban") : cue + QStringLiteral("ben"));
        }
        expectMessage(program->shared().MsgDone);

        open(Exercise{1}); // the sentences, in the order drawn
        startButton()->click();
        for (int i = 0; i < 2; ++i)
            answer(find<QLineEdit>(QStringLiteral("Text1")),
                   find<QLineEdit>(QStringLiteral("Text2"))->text() == u"Én" ? QStringLiteral("olvasok") : QStringLiteral("írsz"));

        open(Exercise{2}); // the story without positions, for "én"
        find<QComboBox>(QStringLiteral("Anna"))->setCurrentText(QStringLiteral("én"));
        startButton()->click();
        answer(find<QLineEdit>(QStringLiteral("Text1_0")), QStringLiteral("felkelek"));
        answer(find<QLineEdit>(QStringLiteral("Text1_1")), QStringLiteral("a konyhában"));
        QCOMPARE(window()->runProgress().counted, 2);
        closeButton()->click(); // back to the main menu

        program->showProgress();
        ProgressWindow &progress = program->progress();
        QCOMPARE(progress.window()->findChild<QGroupBox *>()->title(), QStringLiteral("Exercises of lesson 8"));
        for (int row = 1; row <= 3; ++row)
            QTRY_COMPARE(progressCell(progress, row, 1), QStringLiteral("1 / 0"));
        QCOMPARE(progressCell(progress, 2, 0), QStringLiteral("8b"));

        // Lesson 7 again: its record has none of these answers.
        // Read on a thread of its own: the lesson played stays until lesson 7 is read.
        chooseLesson(QStringLiteral("mnuBuiltInLesson"));
        QCOMPARE(menuCaptions().size(), 3);
        QTRY_COMPARE(menuCaptions().size(), 8);
        QCOMPARE(progressCell(program->progress(), 1, 0), QStringLiteral("1a"));
        QTRY_COMPARE(progressCell(program->progress(), 1, 1), QStringLiteral("0 / 0"));
        QCOMPARE(LessonHistory().last(), QString());
        QCOMPARE(LessonHistory().recent(), QStringList{Second});
    }

    // Another lesson opened while the Progress window writes an export: the window is rebuilt for
    // the new lesson's exercises once the export is over, never under it.
    void lessonOpenedDuringAnExport()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record record(path);
        program = std::make_unique<Program>(feedback, random, &record);
        program->quit = [this] { ++quits; };
        program->showMainMenu(false);
        for (int i = 0; i < 50000; ++i)
            record.answerJudged({QStringLiteral("1a"), QStringLiteral("orvos"), QStringLiteral("orvosnál"),
                                 QStringLiteral("orvosnál"), true, false, false});
        program->showProgress();
        feedback.fileToSave = dir.filePath(QStringLiteral("answers.csv"));
        QTimer opener;
        QObject::connect(&opener, &QTimer::timeout, &opener, [&] {
            if (!program->progress().window()->findChild<QProgressDialog *>())
                return;
            opener.stop();
            program->openLesson(Second);
            QVERIFY(program->progress().isLoaded());
            QCOMPARE(progressCell(program->progress(), 2, 0), QStringLiteral("1b")); // not yet rebuilt
        });
        opener.start(1);
        program->progress().control<QPushButton>(QStringLiteral("export"))->click();
        QCOMPARE(feedback.lastText(), QStringLiteral("Your answers were written to %1.").arg(feedback.fileToSave));
        QTRY_COMPARE(progressCell(program->progress(), 2, 0), QStringLiteral("8b"));
        QTRY_COMPARE(progressCell(program->progress(), 2, 1), QStringLiteral("0 / 0"));
        program.reset(); // before its record
    }

    // A broken lesson is named with its first problem, and the lesson played stays.
    void brokenLessonLeavesTheLessonPlayed()
    {
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("broken.yaml"));
        QFile lesson(Second);
        QVERIFY(lesson.open(QIODevice::ReadOnly));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lesson.readAll().replace("  title:", "  titel:"));
        file.close();
        program->showMainMenu(false);
        feedback.fileToOpen = broken;
        chooseLesson(QStringLiteral("mnuOpenLesson"));
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY2(feedback.lastText().contains(broken + QStringLiteral(":6:3: unknown key \"titel\"")),
                 qPrintable(feedback.lastText()));
        QCOMPARE(menuCaptions().size(), 8);
        QCOMPARE(LessonHistory().recent(), QStringList());
    }

    // The lesson chosen last is gone: lesson 7 opens, one message says why, and it is not looked for again.
    void vanishedLessonFallsBackToLesson7()
    {
        LessonHistory().chose(QStringLiteral("/nowhere/lesson.yaml"));
        program->startWith({});
        program->showMainMenu(false);
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY(feedback.lastText().startsWith(u"The lesson /nowhere/lesson.yaml could not be opened, so lesson 7 is open"));
        QCOMPARE(menuCaptions().size(), 8);
        QCOMPARE(LessonHistory().last(), QString());
    }
};

QTEST_MAIN(tst_SecondLesson)
#include "tst_second_lesson.moc"
