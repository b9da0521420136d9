// Another lesson than lesson 7, as a teacher writes one: opened, played in every
// shape, recorded under its own id and shown in Progress; a broken or vanished
// lesson leaves the learner with the lesson they had.
#include "ExerciseSession.h"

#include "app/sobre.h"
#include "lesson/LessonHistory.h"
#include "progress/ProgressWindow.h"
#include "record/Record.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QDir>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTimer>

namespace {

const QString Second = QStringLiteral(BIMBALA_TEST_LESSONS "/second/second.yaml");

// The figure the Progress window shows in a row of its exercise table.
QString progressCell(ProgressWindow &progress, int row, int column)
{
    auto *grid = qobject_cast<QGridLayout *>(progress.window()->findChild<QGroupBox *>()->layout());
    return qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget())->text();
}

// The file of a lesson of `drills` one-word drills, captioned "1&a" on, and stories after them.
QString writeLesson(const QTemporaryDir &dir, const QString &title, int drills, const QString &stories = {})
{
    QString text = QStringLiteral("format: 1\nlesson: {id: \"%1\", title: \"%1\"}\nexercises:\n").arg(title);
    for (int n = 1; n <= drills; ++n)
        text += QStringLiteral("  - {id: \"d%1\", caption: \"%1&%2\", description: \"A drill.\", heading: \"Put in the suffix.\", "
                               "shape: suffix-drill, number: \"%1.\", suffix: \"-ban\", basic: 1, items: [[\"ház\", \"házban\"]]}\n")
                    .arg(n)
                    .arg(QChar(u'a' + n - 1));
    QFile file(dir.filePath(title + QStringLiteral(".yaml")));
    return file.open(QIODevice::WriteOnly) && file.write((text + stories).toUtf8()) > 0 ? file.fileName() : QString();
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
    QStringList persons() const
    {
        QStringList shown;
        for (auto *field = find<QComboBox>(QStringLiteral("Anna")); shown.size() < field->count();)
            shown << field->itemText(int(shown.size()));
        return shown;
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
        QCOMPARE(menuCaptions(), (QStringList{"8&a", "8&b", "8&c", "8&d", "8&e"}));
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
        const QMap<QString, QString> verbs{{"Én", "olvasok"}, {"Te", "írsz"}, {"Ő", "fut"}};
        for (int i = 0; i < 3; ++i) {
            const QString subject = find<QLineEdit>(QStringLiteral("Text2"))->text();
            // The lesson's own pictogram stands for its own person.
            QCOMPARE(find<QLabel>(QStringLiteral("Image7"))->isVisible(), subject == u"Ő");
            answer(find<QLineEdit>(QStringLiteral("Text1")), verbs.value(subject));
        }
        QVERIFY(plusButton()->isHidden()); // the basic run asked every sentence

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
        QCOMPARE(menuCaptions().size(), 5);
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
            record.answerJudged(TestSupport::answerOf(QStringLiteral("1a"), QStringLiteral("orvos"), QStringLiteral("orvosnál"),
                                                      QStringLiteral("orvosnál"), true));
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
        // The export goes on behind its dialog after the click, and waits for the 50,000 answers to be written.
        QTRY_COMPARE_WITH_TIMEOUT(feedback.lastText(), QStringLiteral("Your answers were written to %1.").arg(feedback.fileToSave),
                                  60000);
        QTRY_COMPARE(progressCell(program->progress(), 2, 0), QStringLiteral("8b"));
        QTRY_COMPARE(progressCell(program->progress(), 2, 1), QStringLiteral("0 / 0"));
        program.reset(); // before its record
    }

    // A broken lesson is named with its first problem, and the lesson played stays; each of
    // its problems is logged.
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
        for (const char *picture : {"house.svg", "person-o.svg"})
            QVERIFY(QFile::copy(QFileInfo(Second).dir().filePath(QLatin1String(picture)), dir.filePath(QLatin1String(picture))));
        program->showMainMenu(false);
        feedback.fileToOpen = broken;
        QTest::ignoreMessage(QtWarningMsg, qPrintable(broken + QStringLiteral(":5:3: the lesson has no \"title\"")));
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(broken + QStringLiteral(":6:3: unknown key \"titel\" in the lesson: did you mean \"title\"?")));
        chooseLesson(QStringLiteral("mnuOpenLesson"));
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY2(feedback.lastText().contains(broken + QStringLiteral(":6:3: unknown key \"titel\"")),
                 qPrintable(feedback.lastText()));
        QCOMPARE(menuCaptions().size(), 8);
        QCOMPARE(LessonHistory().recent(), QStringList());
    }

    // Stories of the lesson's own persons: the chooser lists just them, How to names them,
    // a gap of the lesson's own kind locks in its colour; from story to story with the
    // background closed, the program goes on. The About window credits the lesson's authors.
    void storiesOfTheirOwn()
    {
        program->startWith(Second);
        program->showMainMenu(false);
        open(Exercise{3});
        QCOMPARE(persons(), (QStringList{"én", "te"}));
        window()->window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QVERIFY(feedback.lastText().startsWith(u"Select the person of the subject (én/te) in the green"));

        program->background().Unload(); // Alt+F4 on the grey background
        goTo(Exercise{4})->click();
        current = Exercise{4};
        QCOMPARE(quits, 0);
        QVERIFY(window()->isLoaded());
        QCOMPARE(persons(), (QStringList{"Péter", "én", "te", "mi", "ők"}));
        find<QComboBox>(QStringLiteral("Anna"))->setCurrentText(QStringLiteral("ők"));
        startButton()->click();
        answer(find<QLineEdit>(QStringLiteral("Text1_0")), QStringLiteral("újságot"));
        QCOMPARE(Colour::backColor(find<QLineEdit>(QStringLiteral("Text1_0"))), Colour::fromQColor(QColor(0x1f, 0x3f, 0x8f)));

        program->showAbout();
        QCOMPARE(program->about().control<QLabel>(QStringLiteral("Label4"))->text(),
                 QStringLiteral("By Kata Szabó, Tamás Varga\nlicence: CC-BY-4.0"));
    }

    // The Lesson menu names the five lessons opened last by their titles, their files as tool tips.
    void recentLessonsByTitle()
    {
        QTemporaryDir dir;
        program->showMainMenu(false);
        for (int n = 1; n <= 6; ++n) {
            const QString file = writeLesson(dir, QStringLiteral("Lecke %1").arg(n), 1);
            program->openLesson(file); // read on a thread of its own
            QTRY_COMPARE(program->lesson().file(), file);
        }
        auto *menu = program->mainMenu().window()->findChild<QMenu *>(QStringLiteral("mnuLesson"));
        emit menu->aboutToShow();
        QStringList shown;
        for (const QAction *action : menu->actions())
            if (action->objectName().startsWith(u"mnuRecentLesson"))
                shown << action->text();
        QCOMPARE(shown, (QStringList{"&1 Lecke 6", "&2 Lecke 5", "&3 Lecke 4", "&4 Lecke 3", "&5 Lecke 2"}));
        QCOMPARE(menu->findChild<QAction *>(QStringLiteral("mnuRecentLesson1"))->toolTip(), dir.filePath(QStringLiteral("Lecke 6.yaml")));
    }

    // Sixteen exercises, the last a story of 60 gaps laid out by the program: no go-to caption
    // is clipped, the window fits a 1366x768 screen under a title bar and a panel, and the
    // story plays to its end, every gap in view when it has the focus.
    void longLessonFitsTheScreen()
    {
        QString text, gaps;
        for (int n = 0; n < 60; ++n) {
            text += QStringLiteral("A kertben a gyerekek [játszik] a labdával, a szomszéd pedig újságot olvas. ");
            gaps += QStringLiteral("{kind: \"al\", answers: [\"játszanak\"]}, ");
        }
        QTemporaryDir dir;
        const QString story = QStringLiteral("  - {id: \"s\", caption: \"16&p\", description: \"A long story.\", heading: \"Put in the verbs.\", "
                                             "shape: person-story, persons: [\"ők\"], text: \"%1\", gaps: [%2]}\n")
                                  .arg(text, gaps);
        program->startWith(writeLesson(dir, QStringLiteral("Hosszú"), 15, story));
        program->showMainMenu(false);
        for (const Exercise exercise : {Exercise{0}, Exercise{15}}) {
            open(exercise);
            for (int place = 0; place < 16; ++place) {
                QPushButton *button = goTo(Exercise{place});
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text().remove(u'&')) < button->width(),
                         qPrintable(button->text()));
            }
            QVERIFY(window()->window()->height() <= 768 - 2 * 48);
        }
        QVERIFY(find<QComboBox>(QStringLiteral("Anna"))->isHidden()); // one person: no choice
        startButton()->click();
        QWidget *viewport = find<QScrollArea>(QStringLiteral("StoryScroll"))->viewport();
        for (int n = 0; n < 60; ++n) {
            QLineEdit *gap = find<QLineEdit>(QStringLiteral("Text1_%1").arg(n));
            QCOMPARE(QApplication::focusWidget(), gap);
            QVERIFY(viewport->rect().contains(QRect(gap->mapTo(viewport, QPoint()), gap->size())));
            answer(gap, QStringLiteral("játszanak"));
        }
        expectMessage(program->shared().MsgDone);
        QVERIFY(window()->window()->rect().contains(QRect(nextButton()->mapTo(window()->window(), QPoint()), nextButton()->size())));
    }

    // Headings longer than their designed label, in a drill and a picture story: each is shown
    // whole, on one line where there is room, wrapped where not, and nothing stands over it.
    void longHeadingsAreShownWhole_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("heading");
        QTest::newRow("drill") << 0 << QStringLiteral("Where is it? Put in the correct suffixes.");
        QTest::newRow("picture story") << 4 << QStringLiteral("6. Put in the missing words and suffixes.");
        QTest::newRow("picture story, very long")
            << 4 << QStringLiteral("6. Put in the missing words and suffixes, then read the whole story aloud to your neighbour.");
    }

    void longHeadingsAreShownWhole()
    {
        QFETCH(int, place);
        QFETCH(QString, heading);
        QTemporaryDir dir;
        const QString lesson7 = QStringLiteral(BIMBALA_SOURCE_LESSONS "/lesson7");
        for (const QString &name : QDir(lesson7).entryList(QDir::Files))
            QVERIFY(QFile::copy(lesson7 + u'/' + name, dir.filePath(name)));
        QFile file(dir.filePath(QStringLiteral("lesson7.yaml")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        const QStringList designed{QStringLiteral("Put in the correct suffixes."), QStringLiteral("3.  Put in the missing suffixes.")};
        for (QString &line : lines) {
            if (line.trimmed() == QStringLiteral("heading: \"%1\"").arg(designed[place == 0 ? 0 : 1]))
                line = QStringLiteral("    heading: \"%1\"").arg(heading);
        }
        file.resize(0);
        file.write(lines.join(u'\n').toUtf8());
        file.close();
        program->startWith(file.fileName());
        open(Exercise{place});
        QLabel *label = find<QLabel>(QStringLiteral("Label2"));
        QCOMPARE(label->text(), heading);
        const QRect needed = label->fontMetrics().boundingRect(QRect(0, 0, label->width() - 4, 10000), Qt::TextWordWrap, heading);
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(needed.width()).arg(needed.height()).arg(label->width()).arg(label->height())));
        for (QWidget *other : label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != label && other->isVisible() && other->objectName() != u"Label1")
                QVERIFY2(!other->geometry().intersects(label->geometry()), qPrintable(other->objectName()));
        }
        QVERIFY(window()->window()->height() <= 768 - 2 * 48);
    }

    // The lesson chosen last is gone: lesson 7 opens, one message says why (and the log), and
    // it is not looked for again.
    void vanishedLessonFallsBackToLesson7()
    {
        LessonHistory().chose(QStringLiteral("/nowhere/lesson.yaml"), QStringLiteral("9. lecke"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^/nowhere/lesson\\.yaml:1:1: the file cannot be read ")));
        program->startWith({});
        program->showMainMenu(false);
        QTRY_COMPARE(feedback.messages.size(), 1);
        QVERIFY(feedback.lastText().startsWith(u"The lesson /nowhere/lesson.yaml could not be opened, so lesson 7 is open"));
        QCOMPARE(menuCaptions().size(), 8);
        QCOMPARE(LessonHistory().last(), QString());
        // It stays in the Lesson menu, marked, so that the learner finds it there once its file is back.
        QCOMPARE(LessonHistory().recent(), QStringList{QStringLiteral("/nowhere/lesson.yaml")});
        auto *menu = program->mainMenu().window()->findChild<QMenu *>(QStringLiteral("mnuLesson"));
        emit menu->aboutToShow();
        QAction *recent = menu->findChild<QAction *>(QStringLiteral("mnuRecentLesson1"));
        QCOMPARE(recent->text(), QStringLiteral("&1 9. lecke (not found)"));
        QVERIFY(recent->toolTip().startsWith(u"/nowhere/lesson.yaml was not found"));
    }

    // PNG pictures of a lesson's are shown: on its exercise's menu button (the first keeps the
    // program's own) and in the strip of its picture story.
    void pngPicturesAreShown()
    {
        QTemporaryDir dir;
        QImage photo(120, 80, QImage::Format_RGB32);
        photo.fill(QColor(200, 40, 40));
        QFile small(QStringLiteral(BIMBALA_TEST_LESSONS "/small/small.yaml"));
        QFile lesson(dir.filePath(QStringLiteral("small.yaml")));
        QVERIFY(photo.save(dir.filePath(QStringLiteral("a.png"))) && photo.save(dir.filePath(QStringLiteral("b.png"))) &&
                small.open(QIODevice::ReadOnly) && lesson.open(QIODevice::WriteOnly));
        lesson.write(small.readAll().replace(".svg", ".png").replace("    shape: picture-story", "    picture: \"a.png\"\n    shape: picture-story"));
        lesson.close();
        program->startWith(lesson.fileName());
        program->showMainMenu(false);
        const auto centre = [](const QPixmap &shown) { return shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2); };
        const auto menuPicture = [this](const char *button) {
            return program->mainMenu().window()->findChild<QPushButton *>(QLatin1String(button))->icon().pixmap(24, 24);
        };
        QCOMPARE(centre(menuPicture("AniPushButton1")), photo.pixelColor(0, 0));
        QVERIFY(centre(menuPicture("AniButton1")) != photo.pixelColor(0, 0));
        open(Exercise{1});
        startButton()->click(); // to the first gap, and its picture
        QCOMPARE(centre(find<QLabel>(QStringLiteral("Image2"))->pixmap()), photo.pixelColor(0, 0));
    }
};

QTEST_MAIN(tst_SecondLesson)
#include "tst_second_lesson.moc"
