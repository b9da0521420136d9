#include "ExerciseSession.h"


#include <QAction>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

class tst_b07d1 : public ExerciseSession
{
    Q_OBJECT

private:
    QLineEdit *answer() const { return find<QLineEdit>("Text1"); }
    // The log's lines are paragraphs of their own where they wrapped.
    QString log() const { return find<QPlainTextEdit>("Text3")->toPlainText().remove(u'\n'); }
    QString cue() const { return find<QLabel>("Label8")->text(); }

    static QStringList linesShown(const QPlainTextEdit &box)
    {
        QStringList lines;
        for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
            for (int i = 0; i < block.layout()->lineCount(); ++i) {
                const QTextLine line = block.layout()->lineAt(i);
                lines << block.text().mid(line.textStart(), line.textLength()).trimmed();
            }
        }
        return lines;
    }

    void answerWith(const QString &text)
    {
        retype(answer(), text);
        pressEnter(answer());
    }

    // Answers the item on show right, from the drill's own list.
    void answerRight(Exercise drill)
    {
        const QString right = TestSupport::suffixAnswer(drill, cue().trimmed());
        if (right.isEmpty())
            QFAIL(qPrintable(QStringLiteral("not in the list: ") + cue()));
        answerWith(right);
    }

    // Answers every item right at the first attempt until the run is over.
    int finishRun(Exercise drill)
    {
        int answered = 0;
        while (feedback.messages.isEmpty() && answered < 200 && !QTest::currentTestFailed()) {
            answerRight(drill);
            ++answered;
        }
        return answered;
    }

private Q_SLOTS:
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
        QTest::newRow("Hungarian letters stay as they are") << QStringLiteral("áőűŐŰ") << QStringLiteral("áőűŐŰ");
        QTest::newRow("old stored letters become Hungarian") << QStringLiteral("õûÕÛ") << QStringLiteral("őűŐŰ");
        QTest::newRow("decomposed accents compose") << QStringLiteral("e\u0301") << QStringLiteral("é");
    }

    void keysGiveHungarianLetters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        open(Lesson7::Ex1a);
        answer()->clear();
        type(answer(), typed);
        QCOMPARE(answer()->text(), shown);
    }

    void judgesExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<bool>("right");
        QTest::newRow("suffix typed") << "orvosnak" << false << true;
        QTest::newRow("blanks around") << "  orvosnak   " << false << true;
        QTest::newRow("capital letter") << "Orvosnak" << false << false;
        QTest::newRow("full stop") << "orvosnak." << false << false;
        QTest::newRow("accent on the suffix") << "orvosn'k" << false << false;
        QTest::newRow("inner blank") << "orvos nak" << false << false;
        QTest::newRow("word unchanged") << " orvos" << false << false;
        // What a box shows as blanks is judged as blanks.
        QTest::newRow("pasted with a line break") << "orvosnak\n" << true << true;
        QTest::newRow("pasted with tabs and CR LF") << "\torvosnak\r\n" << true << true;
        QTest::newRow("pasted control characters") << "orvosnak\x01\x1b\x7f" << true << true;
        QTest::newRow("pasted line break inside") << "orvos\nnak" << true << false;
        QTest::newRow("pasted between 20,000 blanks") << QString(10000, u' ') + "orvosnak" + QString(10000, u' ')
                                                     << true << true;
    }

    void judgesExactly()
    {
        QFETCH(QString, typed);
        QFETCH(bool, pasted);
        QFETCH(bool, right);
        open(Lesson7::Ex2);
        random.script({0.0}); // slot 0: orvos
        startButton()->click();
        QCOMPARE(answer()->text(), QStringLiteral(" orvos"));
        QCOMPARE(cue(), QStringLiteral("  orvos"));
        // The caret waits after the word, also when the box gets the focus back.
        QVERIFY(answer()->hasFocus());
        QCOMPARE(answer()->cursorPosition(), 6);
        answer()->setCursorPosition(0);
        solutionButton()->setFocus();
        answer()->setFocus();
        QCOMPARE(answer()->cursorPosition(), 6);
        if (pasted) {
            QGuiApplication::clipboard()->setText(typed);
            answer()->selectAll();
            QTest::keyClick(answer(), Qt::Key_V, Qt::ControlModifier);
            for (const QChar ch : answer()->text())
                QVERIFY2(ch.category() != QChar::Other_Control, qPrintable(answer()->text().left(40)));
            pressEnter(answer());
        } else {
            answerWith(typed);
        }
        if (right) {
            QCOMPARE(feedback.beeps, 0);
            QVERIFY(feedback.messages.isEmpty());
            QCOMPARE(log(), QStringLiteral("orvosnak; "));
        } else {
            expectWrong();
            QCOMPARE(cue(), QStringLiteral("  orvos")); // the item stays
            QCOMPARE(log(), QString());
        }
    }

    void runLengths_data()
    {
        QTest::addColumn<Exercise>("drill");
        QTest::addColumn<bool>("plus");
        QTest::addColumn<int>("items");
        QTest::newRow("1a basic") << Lesson7::Ex1a << false << 16;
        QTest::newRow("1b basic") << Lesson7::Ex1b << false << 16;
        QTest::newRow("1c basic") << Lesson7::Ex1c << false << 14;
        QTest::newRow("2 basic") << Lesson7::Ex2 << false << 11;
        QTest::newRow("1a plus") << Lesson7::Ex1a << true << 43;
        QTest::newRow("1b plus") << Lesson7::Ex1b << true << 51;
        QTest::newRow("1c plus") << Lesson7::Ex1c << true << 51;
        QTest::newRow("2 plus") << Lesson7::Ex2 << true << 26;
    }

    void runLengths()
    {
        QFETCH(Exercise, drill);
        QFETCH(bool, plus);
        QFETCH(int, items);
        open(drill);
        if (plus) {
            plusButton()->click();
            QVERIFY(plusButton()->isHidden() && find<QLabel>("Label5")->isHidden());
        }
        startButton()->click();
        QVERIFY(!startButton()->isEnabled());
        QCOMPARE(finishRun(drill), items);
        expectMessage(program->shared().MsgDone);

        // Each item of the range came once: the logged answers are the range's answers.
        QStringList expected;
        for (int slot = 0; slot < items; ++slot)
            expected << TestSupport::drillOf(drill).items[std::size_t(slot)].answer;
        QStringList logged = log().split(QStringLiteral("; "), Qt::SkipEmptyParts);
        expected.sort();
        logged.sort();
        QCOMPARE(logged, expected);
        // Broken into paragraphs where its lines wrapped, the log looks as one running paragraph does.
        auto *shown = find<QPlainTextEdit>("Text3");
        QVERIFY(shown->document()->blockCount() > 1);
        const QStringList split = linesShown(*shown);
        shown->setPlainText(log());
        QCOMPARE(shown->document()->blockCount(), 1);
        QCOMPARE(linesShown(*shown), split);

        QCOMPARE(startButton()->text(), QStringLiteral("&Restart"));
        QVERIFY(startButton()->isEnabled() && startButton()->hasFocus());
        QVERIFY(!nextButton()->isEnabled() && solutionButton()->isEnabled());

        // Restart asks the same variant again from a fresh list and an empty log.
        feedback.clear();
        startButton()->click();
        QCOMPARE(log(), QString());
        QCOMPARE(finishRun(drill), items);
    }

    // A right answer after a wrong one is logged with a star, not counted, and the item is
    // asked again; Solution marks no retry, and after the end of the run shows the last answer.
    void retriesAndSolution()
    {
        open(Lesson7::Ex2);
        random.script({0.0, 0.0, 0.0}); // orvos, then orvos again after the retry
        startButton()->click();
        answerWith(QStringLiteral("orvos"));
        expectWrong();
        feedback.clear();
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak*; "));
        QCOMPARE(cue(), QStringLiteral("  orvos"));
        solutionButton()->click();
        expectMessage(QStringLiteral("The correct solution is: orvosnak"));
        feedback.clear();
        answerWith(QStringLiteral("orvosnak"));
        QCOMPARE(log(), QStringLiteral("orvosnak*; orvosnak; "));
        // Ten more first-attempt answers end the basic run of 11.
        QCOMPARE(finishRun(Lesson7::Ex2), 10);
        QCOMPARE(feedback.lastText(), program->shared().MsgDone);
        const QString last = log().split(QStringLiteral("; "), Qt::SkipEmptyParts).last();
        feedback.clear();
        solutionButton()->click();
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: ") + last);
    }

    // A wrong try pending in an extended run of 2, then a switch to another drill, away and
    // back, or Close and open again: the window runs the basic variant it shows, from a
    // fresh start, and the next right answer is not starred.
    void leavingMidRun_data()
    {
        QTest::addColumn<QString>("away");
        QTest::addColumn<QString>("back");
        QTest::addColumn<Exercise>("drill");
        QTest::addColumn<int>("items");
        QTest::newRow("switched to 1b") << "Command5" << "" << Lesson7::Ex1b << 16;
        QTest::newRow("switched to 1c and back") << "Command13" << "Command16" << Lesson7::Ex2 << 11;
        QTest::newRow("closed and opened again") << "Command3" << "" << Lesson7::Ex2 << 11;
    }

    void leavingMidRun()
    {
        QFETCH(QString, away);
        QFETCH(QString, back);
        QFETCH(Exercise, drill);
        QFETCH(int, items);
        open(Lesson7::Ex2);
        plusButton()->click();
        startButton()->click();
        answerWith(QStringLiteral("rossz"));
        click(away);
        if (!back.isEmpty())
            click(back);
        if (away == u"Command3") {
            QVERIFY(!window()->isLoaded() && program->mainMenu().isLoaded());
            open(Lesson7::Ex2);
        }
        QCOMPARE(startButton()->text(), QStringLiteral("&Start"));
        QCOMPARE(log() + answer()->text() + cue(), QString());
        // Nothing is on show, so there is nothing to judge or reveal until Start.
        QVERIFY(!nextButton()->isEnabled() && !solutionButton()->isEnabled());
        feedback.clear();
        pressEnter(answer());
        QCOMPARE(feedback.messages.size() + feedback.beeps, 0);
        QVERIFY(!plusButton()->isHidden() && !find<QLabel>("Label5")->isHidden());
        QVERIFY(plusButton()->isEnabled()); // the extended variant is on offer again
        feedback.clear();
        startButton()->click();
        answerRight(drill);
        QVERIFY(!log().contains(u'*'));
        QCOMPARE(finishRun(drill), items - 1);
    }

    // After a run the focus is on Restart, and Enter (either key) restarts, as a click does.
    void enterOnFocusedRestart_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("Return") << Qt::Key_Return;
        QTest::newRow("keypad Enter") << Qt::Key_Enter;
    }

    void enterOnFocusedRestart()
    {
        QFETCH(Qt::Key, key);
        open(Lesson7::Ex2);
        startButton()->click();
        finishRun(Lesson7::Ex2);
        QPushButton *restart = startButton();
        QCOMPARE(restart->text(), QStringLiteral("&Restart"));
        QVERIFY(restart->hasFocus());
        QTest::keyClick(restart, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QVERIFY(!restart->isEnabled());
        QCOMPARE(log(), QString());
        QVERIFY(!cue().trimmed().isEmpty() && answer()->hasFocus());
    }

    // The frame all four windows share: Char, How to, On top, and the close box.
    void sharedFrame()
    {
        open(Lesson7::Ex1c);
        QWidget *shown = window()->window();
        auto *help = find<QLabel>("Label6");
        QVERIFY(help->isHidden());
        startButton()->setFocus();
        charButton()->click();
        QVERIFY(!help->isHidden() && help->text().contains(QStringLiteral("ő ( [ )")));
        QVERIFY(answer()->hasFocus());
        charButton()->click();
        QVERIFY(help->isHidden());
        shown->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QVERIFY(feedback.lastText().startsWith(QStringLiteral("Click the \"Start\" button and put your solution")));

        // On top and back: the window keeps its place and stays on show.
        auto *onTop = shown->findChild<QAction *>(QStringLiteral("mnuOntop"));
        QVERIFY(onTop->isChecked() && shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        const QPoint position = shown->pos();
        onTop->trigger();
        QVERIFY(!onTop->isChecked() && !shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->pos(), position);
        onTop->trigger();
        QVERIFY(shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

        // The title-bar close box acts as Close: back to the main menu, its End button focused.
        shown->close();
        QVERIFY(!window()->isLoaded());
        QVERIFY(program->mainMenu().isLoaded() && program->background().isLoaded());
        QTRY_VERIFY(program->mainMenu().control<QPushButton>(QStringLiteral("Command1"))->hasFocus());
    }
};

QTEST_MAIN(tst_b07d1)
#include "tst_b07d1.moc"
