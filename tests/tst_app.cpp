#include "TestSupport.h"

#include "app/Program.h"
#include "app/alap.h"
#include "app/hatter.h"
#include "app/sobre.h"
#include "common/Module1.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

Q_DECLARE_METATYPE(Exercise)

class tst_App : public QObject
{
    Q_OBJECT

private:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;
    int quits = 0;

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
    void init()
    {
        feedback.clear();
        quits = 0;
        program = std::make_unique<Program>(feedback, random);
        program->quit = [this] { ++quits; };
    }

    void cleanup()
    {
        program.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void splashGivesWayToMainMenu()
    {
        program->start();
        sobre &about = program->about();
        QVERIFY(about.isLoaded());
        QVERIFY(about.window()->isVisible());
        QVERIFY(about.window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(about.control<QPushButton>(QStringLiteral("Command1"))->isHidden());
        QCOMPARE(about.window()->cursor().shape(), Qt::WaitCursor);
        QVERIFY(timer("Timer1")->isActive());
        QCOMPARE(timer("Timer1")->interval(), 800);
        QCOMPARE(timer("Timer2")->interval(), 700);
        QCOMPARE(about.animationFrame(), 1);
        QCOMPARE(program->shared().AboutSeen, 0);
        QVERIFY(!program->mainMenu().isLoaded());

        QTRY_VERIFY_WITH_TIMEOUT(program->mainMenu().isLoaded(), 5000);
        QVERIFY(!about.isLoaded());
        // The 700 ms animation tick comes before the 800 ms start-up tick.
        QCOMPARE(about.animationFrame(), 2);
        QCOMPARE(program->shared().AboutSeen, 1);
        QVERIFY(program->background().isLoaded());
        QVERIFY(!program->background().window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(program->mainMenu().window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(program->mainMenu().window()->windowTitle(), MenuTitle);
        QCOMPARE(program->background().window()->windowTitle(), QStringLiteral("   B I M B A L A  !"));
        QCOMPARE(quits, 0);
    }

    void closingSplashEarlyOpensMainMenu()
    {
        program->start();
        program->about().window()->close();
        QVERIFY(program->mainMenu().isLoaded());
        QVERIFY(!program->about().isLoaded());
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
        QVERIFY(!ok->isHidden());
        QVERIFY(ok->isEnabled());
        QVERIFY(!timer("Timer1")->isActive());
        QVERIFY(timer("Timer2")->isActive());
        QCOMPARE(about.window()->cursor().shape(), Qt::ArrowCursor);

        // Choosing About again keeps the one window.
        program->showAbout();
        QCOMPARE(about.window(), first);
        int aboutWindows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            aboutWindows += w->objectName() == QStringLiteral("sobre") && w->isVisible();
        QCOMPARE(aboutWindows, 1);

        // The animation keeps cycling 1, 2, 3, 1.
        const int start = about.animationFrame();
        QTRY_COMPARE_WITH_TIMEOUT(about.animationFrame(), start % 3 + 1, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(about.animationFrame(), (start + 1) % 3 + 1, 2000);

        ok->click();
        QVERIFY(!about.isLoaded());
        QVERIFY(program->mainMenu().isLoaded());
        // Once seen, the About window always opens in its normal mode.
        about.Show();
        QVERIFY(!about.control<QPushButton>(QStringLiteral("Command1"))->isHidden());
        QVERIFY(!timer("Timer1")->isActive());
    }

    void aboutMessageFromClickHereIcon()
    {
        waitForMainMenu();
        program->showAbout();
        program->about().control<QToolButton>(QStringLiteral("Image2"))->click();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().title, QStringLiteral("About Bimbala!"));
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        const QStringList parts = feedback.lastText().split(QStringLiteral("\r\n"));
        QCOMPARE(parts.size(), 6);
        QVERIFY(parts[0].startsWith(QStringLiteral("     This program is the first (trial) version")));
        QVERIFY(parts[1].isEmpty());
        QVERIFY(parts[2].startsWith(QStringLiteral("     ")));
        QCOMPARE(parts[4], QStringLiteral("     If you have any remark or suggestion, or you just want to let us "
                                          "know you are using the program, please contact me:  "));
        QVERIFY(parts[5].startsWith(QString(49, u' ')));
        QVERIFY(parts[5].contains(QStringLiteral("example.org")));
    }

    void menuButtonsOpenTheirExercise_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<Exercise>("exercise");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("exerciseNo");
        QTest::addColumn<QString>("disabledGoTo");
        QTest::newRow("1a") << "AniButton1" << "1&a" << Exercise::Ex1a << "b07d1" << 1 << "Command10";
        QTest::newRow("1b") << "AniPushButton1" << "1&b" << Exercise::Ex1b << "b07d1" << 2 << "Command5";
        QTest::newRow("1c") << "AniButton4" << "1&c" << Exercise::Ex1c << "b07d1" << 3 << "Command13";
        QTest::newRow("2") << "AniButton3" << "&2" << Exercise::Ex2 << "b07d1" << 4 << "Command16";
        QTest::newRow("3") << "AniPushButton3" << "&3" << Exercise::Ex3 << "b07d3" << 5 << "";
        QTest::newRow("4") << "AniPushButton2" << "&4" << Exercise::Ex4 << "b07d4" << 6 << "Command12";
        QTest::newRow("5") << "AniPushButton4" << "&5" << Exercise::Ex5 << "b07d4" << 7 << "Command13";
        QTest::newRow("6") << "AniPushButton5" << "&6" << Exercise::Ex6 << "b07d6" << 42 << "";
    }

    void menuButtonsOpenTheirExercise()
    {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(Exercise, exercise);
        QFETCH(QString, window);
        QFETCH(int, exerciseNo);
        QFETCH(QString, disabledGoTo);
        program->shared().ExerciseNo = 42; // exercise 6 leaves it as it was
        program->showMainMenu(false);
        QCOMPARE(menuButton(button)->text(), caption);
        menuButton(button)->click();

        QVERIFY(!program->mainMenu().isLoaded());
        QVERIFY(program->background().isLoaded());
        ExerciseWindow *opened = program->windowFor(exercise);
        QVERIFY(opened->isLoaded());
        QCOMPARE(opened->name(), window);
        QCOMPARE(program->shared().ExerciseNo, exerciseNo);
        for (Exercise each : AllExercises) {
            const bool disabled = !opened->goToButton(each)->isEnabled();
            QCOMPARE(disabled, opened->goToButton(each)->objectName() == disabledGoTo ||
                                   (window == QStringLiteral("b07d3") && each == Exercise::Ex3));
        }
        if (window == QStringLiteral("b07d1")) {
            QCOMPARE(opened->control<QLabel>(QStringLiteral("Label7"))->text(),
                     QStringList({"1a.", "1b.", "1c.", "2."})[indexOf(exercise)]);
            QVERIFY(!opened->control<QLabel>(QStringLiteral("Label3"))->isHidden());
        }

        // Close brings the main menu back with its caption built afresh, never doubled.
        opened->window()->findChild<QPushButton *>(QStringLiteral("Command3"))->click();
        QVERIFY(program->mainMenu().isLoaded());
        QCOMPARE(program->mainMenu().window()->windowTitle(), MenuTitle);
        QVERIFY(!opened->isLoaded());
    }

    void mainMenuHowToNamesTheTranslatedKeys()
    {
        program->showMainMenu(false);
        program->mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().title, QStringLiteral("How to ..."));
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        const QStringList lines = feedback.lastText().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 10);
        QCOMPARE(lines[0], QStringLiteral("You can type the special Hungarian characters (á, é etc.) on an English "
                                          "keyboard this way: "));
        // Each line names a key that really gives its letter in an answer box.
        for (int i = 1; i < lines.size(); ++i) {
            QVERIFY(lines[i].startsWith(QString(20, u' ')));
            const QStringList parts = lines[i].trimmed().split(u'=');
            const QString letter = parts.first().trimmed();
            const QString key = lines[i].trimmed().section(QStringLiteral("= "), 1).trimmed();
            QCOMPARE(key.size(), 1);
            char16_t code = key.at(0).unicode();
            Module1::ConvertKey(code);
            QCOMPARE(QString(QChar(code)), letter);
        }
    }

    void endEndsTheProgram()
    {
        waitForMainMenu();
        menuButton(QStringLiteral("Command1"))->click();
        QVERIFY(!program->anyLoaded());
        QCOMPARE(quits, 1);
    }

    void closingMainMenuActsAsEnd()
    {
        waitForMainMenu();
        program->mainMenu().window()->close();
        QVERIFY(!program->anyLoaded());
        QCOMPARE(quits, 1);
    }

    void realMessageBoxShowsAndCloses()
    {
        MessageBoxFeedback real;
        Program withBoxes(real, random);
        withBoxes.quit = [] {};
        withBoxes.showMainMenu(false);
        QString shownText;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownText = box->text();
            shownIcon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        closer.start();
        withBoxes.mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        closer.stop();
        QVERIFY(shownText.startsWith(QStringLiteral("You can type the special Hungarian characters")));
        QVERIFY(!shownText.contains(u'\r'));
        QCOMPARE(shownIcon, QMessageBox::Information);
    }
};

const QString tst_App::MenuTitle = QStringLiteral("  Bimbala!   ---   7. lecke");

QTEST_MAIN(tst_App)
#include "tst_app.moc"
