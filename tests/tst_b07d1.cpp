#include "TestSupport.h"

#include "app/Program.h"
#include "app/alap.h"
#include "app/hatter.h"
#include "common/Colour.h"
#include "common/Module1.h"
#include "exercises/b07d1/SuffixLists.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

class tst_b07d1 : public QObject
{
    Q_OBJECT

private:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;

    ExerciseWindow *window() const { return program->windowFor(Exercise::Ex1a); }
    template<typename T>
    T *find(const char *name) const
    {
        T *control = window()->control<T>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QLineEdit *answer() const { return find<QLineEdit>("Text1"); }
    QString log() const { return find<QPlainTextEdit>("Text3")->toPlainText(); }
    QString cue() const { return find<QLabel>("Label8")->text(); }
    void click(const char *name) { find<QPushButton>(name)->click(); }

    // Opens the drill window from the main menu, as a learner does.
    void open(Exercise drill)
    {
        program->showMainMenu(false);
        program->openFromMainMenu(drill);
        QVERIFY(window()->isLoaded());
        window()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window()->window()));
    }

    // The expected answer of the word on show, from the drill's own list.
    static QString answerFor(const SuffixDrill &drill, const QString &shownWord)
    {
        for (const WordItem &item : drill.items) {
            if (QString::fromUtf16(item.base) == shownWord)
                return QString::fromUtf16(item.answer);
        }
        return {};
    }

    void answerWith(const QString &text)
    {
        retype(answer(), text);
        pressEnter(answer());
    }

    // Answers every item right at the first attempt until the run is over.
    int finishRun(const SuffixDrill &drill)
    {
        int answered = 0;
        while (feedback.messages.isEmpty() && answered < 200) {
            answerWith(answerFor(drill, cue().trimmed()));
            ++answered;
        }
        return answered;
    }

private Q_SLOTS:
    void init()
    {
        feedback.clear();
        program = std::make_unique<Program>(feedback, random);
        program->quit = [] {};
    }

    void cleanup()
    {
        program.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void keysGiveHungarianLetters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const QList<std::pair<const char *, const char *>> table{
            {"'", "á"}, {";", "é"}, {"`", "í"}, {"\\", "ű"}, {"[", "ő"}, {"-", "ü"},
            {"0", "ö"}, {"]", "ú"}, {"=", "ó"}, {"\"", "Á"}, {":", "É"}, {"~", "Í"},
            {"|", "Ű"}, {"{", "Ő"}, {"_", "Ü"}, {")", "Ö"}, {"}", "Ú"}, {"+", "Ó"},
            {"az 19./?,", "az 19./?,"},
        };
        for (const auto &[typed, shown] : table)
            QTest::newRow(typed) << QString::fromUtf8(typed) << QString::fromUtf8(shown);
        QTest::newRow("old stored letters become Hungarian") << QStringLiteral("õûÕÛ") << QStringLiteral("őűŐŰ");
        QTest::newRow("decomposed accents compose") << QStringLiteral("e\u0301") << QStringLiteral("é");
    }

    void keysGiveHungarianLetters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        open(Exercise::Ex1a);
        answer()->clear();
        type(answer(), typed);
        QCOMPARE(answer()->text(), shown);
    }

    void judgesExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::newRow("suffix typed") << "orvosnak" << true;
        QTest::newRow("blanks around") << "  orvosnak   " << true;
        QTest::newRow("capital letter") << "Orvosnak" << false;
        QTest::newRow("full stop") << "orvosnak." << false;
        QTest::newRow("accent on the suffix") << "orvosn'k" << false;
        QTest::newRow("inner blank") << "orvos nak" << false;
        QTest::newRow("word unchanged") << " orvos" << false;
    }

    void judgesExactly()
    {
        QFETCH(QString, typed);
        QFETCH(bool, right);
        open(Exercise::Ex2);
        random.script({0.0}); // slot 0: orvos
        click("Command1");
        QCOMPARE(answer()->text(), QStringLiteral(" orvos"));
        QCOMPARE(cue(), QStringLiteral("  orvos"));
        answerWith(typed);
        if (right) {
            QCOMPARE(feedback.beeps, 0);
            QVERIFY(feedback.messages.isEmpty());
            QCOMPARE(log(), QStringLiteral("orvosnak; "));
        } else {
            QCOMPARE(feedback.beeps, 1);
            QCOMPARE(feedback.messages.size(), 1);
            QCOMPARE(feedback.messages.last().text, program->shared().MsgWrong);
            QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
            QCOMPARE(feedback.messages.last().title, QStringLiteral("  Bimbala!   ---   7. lecke: 2."));
            QCOMPARE(cue(), QStringLiteral("  orvos")); // the item stays
            QCOMPARE(log(), QString());
        }
    }

    void suffixAfterPrefilledWordWithKeyTranslation()
    {
        open(Exercise::Ex1a);
        random.script({1.5 / 16}); // slot 1 of the basic range 0-15: lépcső
        click("Command1");
        QCOMPARE(answer()->text(), QStringLiteral(" lépcső"));
        answer()->setText(QStringLiteral(" lépcs"));
        type(answer(), QStringLiteral("[n;l"));
        pressEnter(answer());
        QVERIFY(feedback.messages.isEmpty());
        QCOMPARE(log(), QStringLiteral("lépcsőnél; "));
    }

    void runLengths_data()
    {
        QTest::addColumn<Exercise>("drill");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<int>("items");
        QTest::newRow("1a basic") << Exercise::Ex1a << false << 16;
        QTest::newRow("1b basic") << Exercise::Ex1b << false << 16;
        QTest::newRow("1c basic") << Exercise::Ex1c << false << 14;
        QTest::newRow("2 basic") << Exercise::Ex2 << false << 11;
        QTest::newRow("1a plus") << Exercise::Ex1a << true << 43;
        QTest::newRow("1b plus") << Exercise::Ex1b << true << 51;
        QTest::newRow("1c plus") << Exercise::Ex1c << true << 51;
        QTest::newRow("2 plus") << Exercise::Ex2 << true << 26;
    }

    void runLengths()
    {
        QFETCH(Exercise, drill);
        QFETCH(bool, plus);
        QFETCH(int, items);
        open(drill);
        if (plus) {
            click("Command9");
            QVERIFY(find<QPushButton>("Command9")->isHidden());
            QVERIFY(find<QLabel>("Label5")->isHidden());
        }
        click("Command1");
        QVERIFY(!find<QPushButton>("Command1")->isEnabled());
        QCOMPARE(finishRun(suffixDrill(drill)), items);
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().text, program->shared().MsgDone);
        QCOMPARE(log().count(QStringLiteral("; ")), items);

        // Each item of the range came once: the logged answers are the range's answers.
        QStringList expected;
        for (int slot = 0; slot < items; ++slot)
            expected << QString::fromUtf16(suffixDrill(drill).items[std::size_t(slot)].answer);
        QStringList logged = log().split(QStringLiteral("; "), Qt::SkipEmptyParts);
        expected.sort();
        logged.sort();
        QCOMPARE(logged, expected);

        auto *start = find<QPushButton>("Command1");
        QCOMPARE(start->text(), QStringLiteral("&Restart"));
        QVERIFY(start->isEnabled());
        QVERIFY(start->hasFocus());
        QVERIFY(!find<QPushButton>("Command2")->isEnabled());
        QVERIFY(find<QPushButton>("Command4")->isEnabled());

        // Restart asks the same variant again from a fresh list and an empty log.
        feedback.clear();
        click("Command1");
        QCOMPARE(log(), QString());
        QCOMPARE(finishRun(suffixDrill(drill)), items);
    }

    void rightAfterWrongIsStarredAndNotCounted()
    {
        open(Exercise::Ex2);
        random.script({0.0, 0.0, 0.0}); // orvos, then orvos again after the retry
        click("Command1");
        answerWith(QStringLiteral("orvos"));
        QCOMPARE(feedback.beeps, 1);
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak*; "));
        QCOMPARE(cue(), QStringLiteral("  orvos"));
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak*; orvosnak; "));
        feedback.clear();
        // Ten more first-attempt answers end the basic run of 11.
        QCOMPARE(finishRun(suffixDrill(Exercise::Ex2)), 10);
        QCOMPARE(feedback.lastText(), program->shared().MsgDone);
    }

    void solutionShowsCurrentThenLastAnswer()
    {
        open(Exercise::Ex2);
        random.script({0.0});
        click("Command1");
        click("Command4");
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: orvosnak"));
        QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
        feedback.clear();
        answerWith(QStringLiteral("orvosnak")); // Solution does not mark a retry
        QCOMPARE(log(), QStringLiteral("orvosnak; "));
        feedback.clear();
        finishRun(suffixDrill(Exercise::Ex2));
        const QString last = log().split(QStringLiteral("; "), Qt::SkipEmptyParts).last();
        feedback.clear();
        click("Command4");
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: ") + last);
    }

    void drillSwitchMidRunResets()
    {
        open(Exercise::Ex1a);
        QCOMPARE(window()->window()->windowTitle(), QStringLiteral("  Bimbala!   ---   7. lecke: 1/a.."));
        QVERIFY(!find<QPushButton>("Command10")->isEnabled());
        click("Command1");
        answerWith(answerFor(suffixDrill(Exercise::Ex1a), cue().trimmed()));
        QVERIFY(!log().isEmpty());

        click("Command5"); // 1b
        QCOMPARE(program->shared().ExerciseNo, 2);
        QCOMPARE(window()->window()->windowTitle(), QStringLiteral("  Bimbala!   ---   7. lecke: 1/b."));
        QCOMPARE(find<QLabel>("Label7")->text(), QStringLiteral("1b."));
        auto *suffix = find<QLabel>("Label3");
        QVERIFY(!suffix->isHidden());
        QCOMPARE(suffix->text(), QStringLiteral("-hoz/-hez/-höz"));
        QCOMPARE(Colour::backColor(suffix), Bgr(0x7799CC));
        QCOMPARE(Colour::foreColor(suffix), Colour::White);
        QCOMPARE(find<QPushButton>("Command1")->text(), QStringLiteral("&Start"));
        QVERIFY(find<QPushButton>("Command1")->isEnabled());
        QVERIFY(find<QPushButton>("Command2")->isEnabled());
        QCOMPARE(log(), QString());
        QCOMPARE(answer()->text(), QString());
        QCOMPARE(cue(), QString());
        QVERIFY(!find<QPushButton>("Command5")->isEnabled());
        for (const char *other : {"Command10", "Command13", "Command16"})
            QVERIFY(find<QPushButton>(other)->isEnabled());

        click("Command1");
        QCOMPARE(finishRun(suffixDrill(Exercise::Ex1b)), 16);
    }

    void wrongTryBeforeSwitchDoesNotStarNextRun()
    {
        open(Exercise::Ex2);
        random.script({0.0});
        click("Command1");
        answerWith(QStringLiteral("nem"));
        click("Command16"); // 2 is disabled; switch to 2 via 1c and back
        click("Command13");
        click("Command16");
        feedback.clear();
        random.script({0.0});
        click("Command1");
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak; "));
    }

    void reopenedWindowRunsWhatItShows()
    {
        open(Exercise::Ex2);
        click("Command9"); // Plus
        random.script({0.0});
        click("Command1");
        answerWith(QStringLiteral("rossz")); // a pending retry
        click("Command3"); // Close
        QVERIFY(!window()->isLoaded());
        QVERIFY(program->mainMenu().isLoaded());

        program->openFromMainMenu(Exercise::Ex2);
        QVERIFY(!find<QPushButton>("Command9")->isHidden());
        QVERIFY(!find<QLabel>("Label5")->isHidden());
        feedback.clear();
        random.script({0.0});
        click("Command1");
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak; ")); // no star carried over
        QCOMPARE(finishRun(suffixDrill(Exercise::Ex2)), 10); // the basic run it shows
    }

    void enterClicksNextOnlyWhileEnabled()
    {
        open(Exercise::Ex2);
        type(answer(), QStringLiteral("orvosnak"));
        pressEnter(answer());
        QVERIFY(feedback.messages.isEmpty());
        random.script({0.0});
        click("Command1");
        pressEnter(answer());
        QCOMPARE(feedback.messages.size(), 1);
    }

    void caretFollowsText()
    {
        open(Exercise::Ex2);
        random.script({0.0});
        click("Command1");
        QVERIFY(answer()->hasFocus());
        QCOMPARE(answer()->cursorPosition(), int(answer()->text().size()));
        answer()->setCursorPosition(0);
        find<QPushButton>("Command4")->setFocus();
        answer()->setFocus();
        QCOMPARE(answer()->cursorPosition(), int(answer()->text().size()));
    }

    void charShowsKeyHelpAndFocusesAnswer()
    {
        open(Exercise::Ex1a);
        auto *help = find<QLabel>("Label6");
        QVERIFY(help->isHidden());
        find<QPushButton>("Command1")->setFocus();
        click("Command11");
        QVERIFY(!help->isHidden());
        QVERIFY(answer()->hasFocus());
        QCOMPARE(help->text(),
                 QStringLiteral(" á  ( ' );  é ( ; );  í ( ` );  ó ( = );  ö ( 0 );  ő ( [ );  ú ( ] );  ü ( - );  ű ( \\ )"));
        click("Command11");
        QVERIFY(help->isHidden());
    }

    void onTopToggles()
    {
        open(Exercise::Ex1a);
        auto *onTop = window()->window()->findChild<QAction *>(QStringLiteral("mnuOntop"));
        QVERIFY(onTop->isChecked());
        QVERIFY(window()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QPoint position = window()->window()->pos();
        onTop->trigger();
        QVERIFY(!onTop->isChecked());
        QVERIFY(!window()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window()->window()->isVisible());
        QCOMPARE(window()->window()->pos(), position);
        onTop->trigger();
        QVERIFY(onTop->isChecked());
        QVERIFY(window()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void howToText()
    {
        open(Exercise::Ex1a);
        window()->window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QVERIFY(feedback.lastText().startsWith(
            QStringLiteral("Click the \"Start\" button and put your solution in the gap. Then press the \"Enter\" key. "
                           "Go on.\r\n\r\nIf you want to see how")));
    }

    void closeReturnsToMainMenuWithEndFocused()
    {
        open(Exercise::Ex1c);
        window()->window()->close(); // the title-bar close box acts as Close
        QVERIFY(!window()->isLoaded());
        QVERIFY(program->mainMenu().isLoaded());
        QVERIFY(program->background().isLoaded());
        QTRY_VERIFY(program->mainMenu().control<QPushButton>(QStringLiteral("Command1"))->hasFocus());
    }
};

QTEST_MAIN(tst_b07d1)
#include "tst_b07d1.moc"
