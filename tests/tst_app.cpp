#include "ExerciseSession.h"

#include "app/sobre.h"
#include "common/Module1.h"
#include "lesson/LessonSource.h"
#include "record/Record.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPointer>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>

class tst_App : public ExerciseSession
{
    Q_OBJECT

private:
    static const QString MenuTitle;

    QTimer *timer(const char *name) const
    {
        return program->about().window()->findChild<QTimer *>(QString::fromLatin1(name));
    }
    QPushButton *menuButton(const QString &name) const
    {
        return program->mainMenu().control<QPushButton>(name);
    }
    void waitForMainMenu()
    {
        program->start();
        QTRY_VERIFY_WITH_TIMEOUT(program->mainMenu().isLoaded(), 5000);
    }

private Q_SLOTS:
    // The About window as a splash gives way to the main menu through its real timers,
    // or at once when it is closed.
    void splashGivesWayToMainMenu_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("timers") << false;
        QTest::newRow("closed early") << true;
    }

    void splashGivesWayToMainMenu()
    {
        QFETCH(bool, closed);
        program->start();
        sobre &about = program->about();
        QVERIFY(about.isLoaded());
        QVERIFY(about.window()->isVisible());
        QVERIFY(about.control<QPushButton>(QStringLiteral("Command1"))->isHidden());
        QCOMPARE(about.window()->cursor().shape(), Qt::WaitCursor);
        QVERIFY(timer("Timer1")->isActive());
        QCOMPARE(about.animationFrame(), 1);
        QCOMPARE(program->shared().AboutSeen, 0);
        QVERIFY(!program->mainMenu().isLoaded());

        if (closed)
            about.window()->close();
        QTRY_VERIFY_WITH_TIMEOUT(program->mainMenu().isLoaded(), 5000);
        QVERIFY(!about.isLoaded());
        // The 700 ms animation tick comes before the 800 ms start-up tick.
        QCOMPARE(about.animationFrame(), closed ? 1 : 2);
        QCOMPARE(program->shared().AboutSeen, 1);
        QVERIFY(program->background().isLoaded());
        QCOMPARE(program->mainMenu().window()->windowTitle(), MenuTitle);
        QCOMPARE(quits, 0);
    }

    void aboutFromMenuIsNormalModeAndSingle()
    {
        waitForMainMenu();
        program->mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
        sobre &about = program->about();
        QVERIFY(about.isLoaded());
        FormWidget *first = about.window();
        auto *ok = about.control<QPushButton>(QStringLiteral("Command1"));
        QVERIFY(!ok->isHidden() && ok->isEnabled());
        QVERIFY(!timer("Timer1")->isActive() && timer("Timer2")->isActive());
        QCOMPARE(about.window()->cursor().shape(), Qt::ArrowCursor);

        // Choosing About again keeps the one window.
        program->showAbout();
        QCOMPARE(about.window(), first);
        const QWidgetList shown = QApplication::topLevelWidgets();
        const auto isAbout = [](QWidget *w) { return w->objectName() == u"sobre" && w->isVisible(); };
        QCOMPARE(std::count_if(shown.begin(), shown.end(), isAbout), 1);

        // The animation keeps cycling 1, 2, 3, 1.
        const int start = about.animationFrame();
        QTRY_COMPARE_WITH_TIMEOUT(about.animationFrame(), start % 3 + 1, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(about.animationFrame(), (start + 1) % 3 + 1, 2000);

        // Its "click here" icon tells about the program.
        about.control<QToolButton>(QStringLiteral("Image2"))->click();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().title, QStringLiteral("About Bimbala!"));
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QVERIFY(feedback.lastText().startsWith(QStringLiteral("     This program is the first (trial) version")));

        ok->click();
        QVERIFY(!about.isLoaded());
        QVERIFY(program->mainMenu().isLoaded());
        // Once seen, the About window always opens in its normal mode.
        about.Show();
        QVERIFY(!about.control<QPushButton>(QStringLiteral("Command1"))->isHidden());
        QVERIFY(!timer("Timer1")->isActive());
    }

    // Reading the About text during the splash: the hand-over to the main menu waits
    // until the text is closed, and the window is not destroyed under its open box.
    void splashWaitsForTheAboutText()
    {
        MessageBoxFeedback real;
        Program withBoxes(real, random);
        withBoxes.quit = [] {};
        withBoxes.start();
        sobre &about = withBoxes.about();
        bool keptWhileOpen = false;
        QElapsedTimer open;
        open.start();
        TestSupport::withMessageBoxes(
            [&] { QTest::keyClick(about.control<QToolButton>(QStringLiteral("Image2")), Qt::Key_Space); },
            [&](QMessageBox *box) {
                if (!open.hasExpired(1200)) // well past the 800 ms hand-over
                    return;
                keptWhileOpen = about.isLoaded() && !withBoxes.mainMenu().isLoaded();
                box->button(QMessageBox::Ok)->click();
            });
        QVERIFY(keptWhileOpen);
        // At once: at the next turn of the event loop, after the click that closed the text.
        QTRY_VERIFY_WITH_TIMEOUT(withBoxes.mainMenu().isLoaded(), 100);
        QVERIFY(!about.isLoaded());
        QCOMPARE(withBoxes.shared().AboutSeen, 1);
        withBoxes.end();
    }

    // A window already open but covered comes to the front and takes the focus when shown again.
    void shownAgainComesToTheFront_data()
    {
        QTest::addColumn<bool>("about");
        QTest::newRow("Help, About on an open About window") << true;
        QTest::newRow("an open exercise window shown again") << false;
    }

    void shownAgainComesToTheFront()
    {
        QFETCH(bool, about);
        waitForMainMenu();
        Form *target = &program->about();
        if (about) {
            program->showAbout();
        } else {
            program->openFromMainMenu(Lesson7::Ex4);
            target = program->windowFor(Lesson7::Ex4);
        }
        QVERIFY(QTest::qWaitForWindowActive(target->window()));
        program->background().window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program->background().window()));
        if (about)
            program->showAbout();
        else
            target->Show();
        QVERIFY(QTest::qWaitForWindowActive(target->window()));
    }

    // Enter (either key) on a focused button clicks it, in every window.
    void enterClicksTheFocusedButton_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("button");
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("main menu, exercise button") << "alap" << "AniPushButton2" << Qt::Key_Return;
        QTest::newRow("main menu, keypad Enter") << "alap" << "AniPushButton5" << Qt::Key_Enter;
        QTest::newRow("About, its OK") << "sobre" << "Command1" << Qt::Key_Return;
        QTest::newRow("About, click here") << "sobre" << "Image2" << Qt::Key_Enter;
    }

    void enterClicksTheFocusedButton()
    {
        QFETCH(QString, form);
        QFETCH(QString, button);
        QFETCH(Qt::Key, key);
        waitForMainMenu();
        Form *window = &program->mainMenu();
        if (form == u"sobre") {
            program->showAbout();
            window = &program->about();
            // OK has the focus from the start, as in any About box.
            QTRY_VERIFY(window->control<QPushButton>(QStringLiteral("Command1"))->hasFocus());
        }
        auto *focused = window->control<QAbstractButton>(button);
        focused->setFocus();
        feedback.clear();
        QTest::keyClick(focused, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        if (button == u"AniPushButton2")
            QVERIFY(program->windowFor(Lesson7::Ex4)->isLoaded() && !window->isLoaded());
        else if (button == u"AniPushButton5")
            QVERIFY(program->windowFor(Lesson7::Ex6)->isLoaded() && !window->isLoaded());
        else if (button == u"Command1")
            QVERIFY(!window->isLoaded());
        else
            QCOMPARE(feedback.messages.size(), 1);
    }

    // Each menu button opens its exercise, and Close brings the menu back, with every
    // caption built afresh, never doubled (tst_goto_matrix checks what each opening prepares).
    void captionsNeverDouble()
    {
        program->showMainMenu(false);
        const std::array<const char *, 8> buttons{"AniButton1",     "AniPushButton1", "AniButton4",
                                                  "AniButton3",     "AniPushButton3", "AniPushButton2",
                                                  "AniPushButton4", "AniPushButton5"};
        for (int round = 0; round < 2; ++round) {
            for (Exercise exercise : Lesson7::All) {
                menuButton(QString::fromLatin1(buttons[std::size_t(indexOf(exercise))]))->click();
                ExerciseWindow *opened = program->windowFor(exercise);
                QVERIFY(opened->isLoaded() && !program->mainMenu().isLoaded());
                QVERIFY(program->background().isLoaded());
                QCOMPARE(opened->window()->windowTitle().count(QStringLiteral("7. lecke")), 1);
                opened->window()->findChild<QPushButton *>(QStringLiteral("Command3"))->click();
                QVERIFY(!opened->isLoaded());
                QCOMPARE(program->mainMenu().window()->windowTitle(), MenuTitle);
            }
        }
    }

    // A window on its way out (unloaded, its widgets not yet deleted) is cut off from
    // its form: a late close or click on it does nothing.
    void leavingWindowReportsNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("its close box") << true;
        QTest::newRow("its End button") << false;
    }

    void leavingWindowReportsNothing()
    {
        QFETCH(bool, closeBox);
        waitForMainMenu();
        QPointer<FormWidget> leaving = program->mainMenu().window();
        QPointer<QPushButton> end = menuButton(QStringLiteral("Command1"));
        program->openFromMainMenu(Lesson7::Ex4);
        QVERIFY(leaving && end && !program->mainMenu().isLoaded());
        if (closeBox)
            leaving->close();
        else
            end->click();
        QCOMPARE(quits, 0);
        QVERIFY(program->windowFor(Lesson7::Ex4)->isLoaded() && program->background().isLoaded());
        QTRY_VERIFY(!leaving);
    }

    // The program ends when its last window goes, whatever took it away, and not before.
    void lastWindowGoneEndsTheProgram()
    {
        waitForMainMenu();
        program->showAbout();
        const QList<Form *> open{&program->about(), &program->background(), &program->mainMenu()};
        for (Form *form : open) {
            QCOMPARE(quits, 0);
            form->Unload();
        }
        QVERIFY(!program->anyLoaded());
        QCOMPARE(quits, 1);
    }

    // A lesson opened with the background closed, and an exercise opened while it is read:
    // when it comes, the exercise makes way for the main menu, and the program goes on.
    void aNewLessonNeverEndsTheProgram()
    {
        program->showMainMenu(false);
        program->background().Unload();
        program->openLesson(LessonSource::BuiltIn);
        program->openFromMainMenu(Lesson7::Ex1a);
        QVERIFY(!program->mainMenu().isLoaded());
        QTRY_VERIFY(program->mainMenu().isLoaded());
        QVERIFY(!program->windowFor(Lesson7::Ex1a)->isLoaded());
        QCOMPARE(quits, 0);
    }

    // Practise my mistakes chosen while an exercise window is in the middle of a message box:
    // the run of mistakes opens once the box is closed, in a window of its own that stays.
    void mistakesWaitForTheOpenMessageBox()
    {
        open(Lesson7::Ex1a);
        QPointer<FormWidget> before = window()->window();
        window()->runModal([this, &before] {
            QVERIFY(program->practiseMistakes(Lesson7::Ex1a, {QStringLiteral("orvos")}));
            QVERIFY(window()->window() == before);
        });
        QTRY_VERIFY(window()->isLoaded() && window()->window() != before);
        QCOMPARE(find<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("Your mistakes: 1 item"));
        QTest::qWait(50);
        QVERIFY(window()->isLoaded());
        QVERIFY(!startButton()->isEnabled());
    }

    // A run still open when the program ends (End, or the desktop's session ending) is ended,
    // as cut short: no run is left without an outcome.
    void runsEndWithTheProgram_data()
    {
        QTest::addColumn<bool>("byEnd");
        QTest::newRow("End") << true;
        QTest::newRow("the session ends") << false;
    }

    void runsEndWithTheProgram()
    {
        QFETCH(bool, byEnd);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("progress.sqlite"));
        {
            Record record(path);
            Program withFile(feedback, random, &record);
            withFile.quit = [] {};
            withFile.showMainMenu(false);
            withFile.openFromMainMenu(Lesson7::Ex1b);
            withFile.windowFor(Lesson7::Ex1b)->window()->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
            if (byEnd)
                withFile.end();
            else
                withFile.interruptRuns();
            TestSupport::settledStatus(record);
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("runs"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery runs(QStringLiteral("SELECT exercise, outcome, ended IS NOT NULL FROM runs"), db);
        QVERIFY(runs.next());
        QCOMPARE(runs.value(0).toString(), QStringLiteral("1b"));
        QCOMPARE(runs.value(1).toString(), QStringLiteral("interrupted"));
        QVERIFY(runs.value(2).toBool());
        QVERIFY(!runs.next());
        runs = QSqlQuery();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("runs"));
    }

    void endEndsTheProgram_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("End button") << false;
        QTest::newRow("title-bar close box") << true;
    }

    void endEndsTheProgram()
    {
        QFETCH(bool, closeBox);
        waitForMainMenu();
        if (closeBox)
            program->mainMenu().window()->close();
        else
            menuButton(QStringLiteral("Command1"))->click();
        QVERIFY(!program->anyLoaded());
        QCOMPARE(quits, 1);
    }

    // The main menu's How to, through the real message box: each key line names a key
    // that really gives its letter in an answer box.
    void realMessageBoxShowsHowToKeys()
    {
        MessageBoxFeedback real;
        Program withBoxes(real, random);
        withBoxes.quit = [] {};
        withBoxes.showMainMenu(false);
        QString shownTitle, shownText;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        TestSupport::withMessageBoxes(
            [&] { withBoxes.mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger(); },
            [&](QMessageBox *box) {
                shownTitle = box->windowTitle();
                shownText = box->text();
                shownIcon = box->icon();
                box->button(QMessageBox::Ok)->click();
            });
        QCOMPARE(shownTitle, QStringLiteral("How to ..."));
        QCOMPARE(shownIcon, QMessageBox::Information);
        QVERIFY(!shownText.contains(u'\r')); // the box is given plain line breaks
        const QStringList lines = shownText.split(u'\n');
        QCOMPARE(lines.size(), 10);
        QVERIFY(lines[0].startsWith(QStringLiteral("You can type the special Hungarian characters")));
        for (int i = 1; i < lines.size(); ++i) {
            const QString letter = lines[i].section(u'=', 0, 0).trimmed();
            const QString key = lines[i].section(QStringLiteral("= "), 1).trimmed();
            QCOMPARE(key.size(), 1);
            char16_t code = key.at(0).unicode();
            Module1::ConvertKey(code);
            QCOMPARE(QString(QChar(code)), letter);
        }
    }
};

const QString tst_App::MenuTitle = QStringLiteral("  Bimbala!   ---   7. lecke");

QTEST_MAIN(tst_App)
#include "tst_app.moc"
