#include "ExerciseSession.h"

#include "exercises/sentences/SentenceTable.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSet>

#include <random>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

namespace {

using Row = LessonModel::SentenceRow;

// Lesson 7's sentences as the window joins them: exercise 4's, then exercise 5's.
const SentenceTable &table()
{
    static const SentenceTable sentences(TestSupport::lesson7(), {Lesson7::Ex4, Lesson7::Ex5});
    return sentences;
}
QString col(int row, QString Row::*column) { return table().row(row).*column; }
QStringList words(const QString &text) { return text.split(u' ', Qt::SkipEmptyParts); }
// The number of the sentence's pictogram among lesson 7's six (Image1 to Image6), 0 for none.
int pictogram(const Row &row) { return int(LessonModel::Pictograms.indexOf(row.person)) + 1; }

// The run a learner gets: exercise 4 or 5, basic or extended.
RowRange rangeOf(bool exercise5, bool extended)
{
    return table().range(exercise5 ? Lesson7::Ex5 : Lesson7::Ex4, extended);
}

} // namespace

class tst_b07d4 : public ExerciseSession
{
    Q_OBJECT

private:
    QLineEdit *answer() const { return find<QLineEdit>("Text1"); }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
    QString log() const { return find<QPlainTextEdit>("Text4")->toPlainText(); }
    QString cue() const { return find<QLabel>("Label3")->text(); }
    // The pictograms on show, each read out as a person.
    QStringList shownPictures() const
    {
        QStringList shown;
        for (int i = 1; i <= 6; ++i) {
            auto *picture = find<QLabel>(QStringLiteral("Image%1").arg(i));
            if (!picture->isHidden())
                shown << picture->objectName() + (picture->accessibleName().startsWith(u"Person: ") ? "" : " unnamed");
        }
        return shown;
    }

    // The row whose head, cue and tail are on show (a learner sees no more); -1 if none.
    int rowOnShow() const
    {
        for (int row = 0; row < table().size(); ++row) {
            if (text("Text2") == col(row, &Row::before) && cue() == u' ' + col(row, &Row::cue) &&
                text("Text3") == u' ' + col(row, &Row::after))
                return row;
        }
        return -1;
    }

    // Answers every sentence right until the run is accomplished, checking each sentence's
    // prefill and pictogram on the way; the run must have asked each row of the range once.
    void finishRun(RowRange range)
    {
        QList<int> asked, expected;
        while (feedback.lastText() != program->shared().MsgDone && asked.size() < 200) {
            const int row = rowOnShow();
            QVERIFY2(row >= 0, qPrintable(text("Text2") + u'|' + cue() + u'|' + text("Text3")));
            QCOMPARE(answer()->text(), col(row, &Row::offer));
            const int person = pictogram(table().row(row));
            QCOMPARE(shownPictures(), person ? QStringList{QStringLiteral("Image%1").arg(person)} : QStringList());
            asked << row;
            retype(answer(), col(row, &Row::answer));
            pressEnter(answer());
        }
        std::sort(asked.begin(), asked.end());
        for (int row = range.first; row <= range.last; ++row)
            expected << row;
        QCOMPARE(asked, expected);
    }

    // Opens the exercise of the row and starts the run that holds it, drawing that row first.
    void startAt(int row)
    {
        const bool exercise5 = row >= rangeOf(true, false).first;
        const bool extended = row > rangeOf(exercise5, false).last;
        open(exercise5 ? Lesson7::Ex5 : Lesson7::Ex4);
        if (extended)
            plusButton()->click();
        const RowRange range = rangeOf(exercise5, extended);
        random.script({(row - range.first + 0.5) / range.size()});
        startButton()->click();
        QCOMPARE(rowOnShow(), row);
    }

private Q_SLOTS:
    void rowRelations_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < table().size(); ++row)
            QTest::addRow("row %d", row) << row;
    }

    void rowRelations()
    {
        QFETCH(int, row);
        const Row &s = table().row(row);
        const QString head = s.before, cue = s.cue, prefill = s.offer, key = s.answer, tail = s.after;
        const bool doubleBlankPrefill = row == 6 || row == 13;
        for (const QString &part : {head, cue, key, tail}) {
            QCOMPARE(part.trimmed(), part);
            QCOMPARE(part.normalized(QString::NormalizationForm_C), part);
            QVERIFY(!part.contains(QRegularExpression(QStringLiteral("[õûÕÛ]|  "))));
        }
        QCOMPARE(prefill.trimmed(), prefill);
        QVERIFY(!prefill.contains(QRegularExpression(QStringLiteral("[õûÕÛ]"))));
        QCOMPARE(prefill.contains(QStringLiteral("  ")), doubleBlankPrefill);
        QVERIFY(!key.isEmpty() && !tail.isEmpty());
        // A sentence that opens with the gap opens with a capital (names have one anyway).
        QVERIFY(!head.isEmpty() || key.front().isUpper());
        QCOMPARE(key.front(), prefill.front());
        QVERIFY(tail.endsWith(u'.') || tail.endsWith(u'?'));

        if (row <= rangeOf(false, true).last) {
            // Each phrase is shown with its own "...", the key inflects each word's end.
            QVERIFY(cue.endsWith(QStringLiteral("...")));
            QCOMPARE(QString(cue).remove(QStringLiteral("...")), words(prefill).join(u' '));
            const QStringList bare = words(prefill), inflected = words(key);
            QCOMPARE(inflected.size(), bare.size());
            for (qsizetype i = 0; i < bare.size(); ++i) {
                QString lengthened = bare[i];
                if (lengthened.endsWith(u'a') || lengthened.endsWith(u'e'))
                    lengthened.back() = lengthened.back() == u'a' ? u'á' : u'é';
                QVERIFY2(inflected[i].startsWith(bare[i]) || inflected[i].startsWith(lengthened),
                         qPrintable(inflected[i]));
            }
            QVERIFY(key != prefill);
            QCOMPARE(s.person, QString());
        } else {
            QVERIFY(cue == prefill + QStringLiteral("...") || cue == u'(' + prefill + u')');
            QCOMPARE(words(prefill).size(), 1);
            QCOMPARE(words(key).size(), 1);
            QCOMPARE(key.left(2), prefill.left(2));
            QCOMPARE(key == prefill, row == 65 || row == 74 || row >= 105);
            // The pictogram agrees with the ending of the verb.
            const QStringList endings{".", "[km]$", "(sz|l)$", ".", "[uü]nk$", "t[eoö]k$", "n[ae]k$"};
            QVERIFY2(key.contains(QRegularExpression(endings[pictogram(s)])), qPrintable(key));
            if (s.person == u"Ön")
                QCOMPARE(key, prefill);
        }
    }

    void rowsTellApart()
    {
        // A learner tells the sentences apart by what is on show.
        QSet<QString> seen;
        for (int row = 0; row < table().size(); ++row)
            seen.insert(table().row(row).before + u'|' + table().row(row).cue + u'|' + table().row(row).after);
        QCOMPARE(seen.size(), table().size());
    }

    // A few sentences end to end: Solution, what is typed, and the sentence the log then shows.
    void oneSentence_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("insertAt"); // -1: type the whole key instead
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("logged");
        QTest::newRow("empty head") << 0 << -1 << "" << "" << " Pestről jövök.";
        QTest::newRow("double blank 6") << 6 << 6 << "ból" << "re" << " Londonból Budapestre utazunk.";
        QTest::newRow("double blank 13") << 13 << 7 << "ba" << "h0z" << "Bemegyek a kiadóba a szerkesztőhöz.";
        QTest::newRow("tail '. Jó?'") << 22 << -1 << "" << "" << "Felmegyünk a Gellérthegyre. Jó?";
        QTest::newRow("question tail") << 46 << -1 << "" << "" << "Hányas autóbusz megy Budára?";
        QTest::newRow("subject named") << 51 << -1 << "" << "" << "A lányok az erkélyen beszélgetnek.";
        QTest::newRow("én") << 59 << -1 << "" << "" << "Levelet írok Évának.";
        QTest::newRow("Ön, Enter at once") << 105 << 0 << "" << "" << "Nem kér kávét?";
        QTest::newRow("comma inside, Enter at once") << 74 << 0 << "" << "" << "Neked is tetszik ez a zene, ugye?";
    }

    void oneSentence()
    {
        QFETCH(int, row);
        QFETCH(int, insertAt);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, logged);
        startAt(row);
        // Solution shows the key and gives the focus back to the answer box; it judges nothing.
        startButton()->setFocus();
        solutionButton()->click();
        expectMessage(QStringLiteral("The correct solution is: ") + col(row, &Row::answer), Feedback::Information);
        QVERIFY(answer()->hasFocus());
        feedback.clear();
        if (insertAt < 0) {
            retype(answer(), col(row, &Row::answer));
        } else {
            answer()->setCursorPosition(insertAt);
            type(answer(), first);
            answer()->end(false);
            type(answer(), last);
        }
        pressEnter(answer());
        QCOMPARE(feedback.messages.size(), 0);
        QCOMPARE(log(), logged + u'\n');
    }

    void judging_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("key") << "az operához" << true << QString();
        QTest::newRow("blanks around and inside") << "  az   operához  " << true << QString();
        QTest::newRow("keys translated") << "az oper'hoz" << true << QString();
        QTest::newRow("o for ó") << "az oper'h=z" << false << "az operáhóz";
        QTest::newRow("capital") << "  Az   operához " << false << " Az operához ";
        QTest::newRow("no accent") << "az operahoz" << false << "az operahoz";
        QTest::newRow("full stop") << "az operához." << false << "az operához.";
        QTest::newRow("prefill only") << "az opera" << false << "az opera";
    }

    void judging()
    {
        QFETCH(QString, typed);
        QFETCH(bool, right);
        QFETCH(QString, boxAfter);
        startAt(4);
        retype(answer(), typed);
        pressEnter(answer());
        if (right) {
            QCOMPARE(feedback.messages.size(), 0);
            QCOMPARE(log(), QStringLiteral("Az autóbusz az operához érkezik.\n"));
        } else {
            expectWrong();
            QCOMPARE(answer()->text(), boxAfter); // blanks collapsed, as judged
            QCOMPARE(rowOnShow(), 4);
            QCOMPARE(log(), QString());
        }
    }

    void runSizes_data()
    {
        QTest::addColumn<bool>("exercise5");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<int>("size");
        QTest::newRow("4 basic") << false << false << 17;
        QTest::newRow("5 basic") << true << false << 12;
        QTest::newRow("4 extended") << false << true << 51;
        QTest::newRow("5 extended") << true << true << 60;
    }

    void runSizes()
    {
        QFETCH(bool, exercise5);
        QFETCH(bool, extended);
        QFETCH(int, size);
        open(exercise5 ? Lesson7::Ex5 : Lesson7::Ex4);
        pressEnter(answer()); // nothing to judge before Start
        QVERIFY(feedback.messages.isEmpty());
        if (extended) {
            plusButton()->click();
            QVERIFY(find<QLabel>("Label1")->isHidden());
        }
        for (const QString &caption : {QStringLiteral("&Start"), QStringLiteral("&Restart")}) {
            QCOMPARE(startButton()->text(), caption);
            feedback.clear();
            startButton()->click();
            QCOMPARE(log(), QString());
            QVERIFY(!plusButton()->isEnabled());
            QCOMPARE(Colour::backColor(answer()), exercise5 && extended ? Bgr(0xC0FFFF) : Colour::White);
            finishRun(rangeOf(exercise5, extended));
            QCOMPARE(log().count(u'\n'), size);
            QCOMPARE(feedback.beeps, 1); // accomplished with a beep
            expectMessage(program->shared().MsgDone);
            QVERIFY(startButton()->hasFocus() && plusButton()->isEnabled());
            QVERIFY(!nextButton()->isEnabled() && !solutionButton()->isEnabled());
            QCOMPARE(answer()->text() + text("Text2") + text("Text3") + cue(), QString());
            pressEnter(answer()); // Enter does nothing once the run is over
            QCOMPARE(feedback.messages.size(), 1);
        }
    }

    // Switches between 4 and 5 mid-run, Plus, and Close: every new run is the one the window
    // shows, asking all of its rows again.
    void switchesAndReopening()
    {
        open(Lesson7::Ex4);
        startButton()->click();
        for (int i = 0; i < 5; ++i) {
            retype(answer(), col(rowOnShow(), &Row::answer));
            pressEnter(answer());
        }
        const QString cueBefore = cue();
        goTo(Lesson7::Ex5)->click(); // in place (the go-to matrix checks caption, heading and buttons)
        QCOMPARE(log() + answer()->text() + text("Text2") + text("Text3"), QString());
        QCOMPARE(cue(), cueBefore); // the sentence drawn before the switch can still be answered
        QVERIFY(startButton()->isEnabled() && nextButton()->isEnabled());
        startButton()->click();
        finishRun(rangeOf(true, false));

        plusButton()->click();
        feedback.clear();
        startButton()->click();
        QCOMPARE(Colour::backColor(answer()), Bgr(0xC0FFFF));
        goTo(Lesson7::Ex4)->click(); // the basic run again, the box stays yellow
        startButton()->click();
        QCOMPARE(Colour::backColor(answer()), Bgr(0xC0FFFF));
        finishRun(rangeOf(false, false)); // a full run, whatever the interrupted runs had asked
        plusButton()->click(); // Plus before Restart extends the new run
        feedback.clear();
        startButton()->click();
        finishRun(rangeOf(false, true));

        plusButton()->click();
        closeButton()->click();
        QVERIFY(!window()->isLoaded());
        open(Lesson7::Ex4);
        QVERIFY(!find<QLabel>("Label1")->isHidden());
        QCOMPARE(Colour::backColor(answer()), Colour::White);
        feedback.clear();
        startButton()->click();
        finishRun(rangeOf(false, false)); // the basic run the hint offers
    }

    // Switches, restarts, Plus, closing and answers in any order: every run still
    // asks each row of its range once and ends after as many right answers.
    void anySequenceEndsItsRuns()
    {
        std::mt19937 dice(4);
        open(Lesson7::Ex4);
        bool exercise5 = false, extended = false;
        RowRange range{0, -1};
        QSet<int> asked;
        int right = 0, runsDone = 0;
        for (int step = 0; step < 600 && !QTest::currentTestFailed(); ++step) {
            feedback.clear();
            const unsigned move = dice() % 8;
            bool drawn = false;
            if (move == 0 && startButton()->isEnabled()) {
                startButton()->click();
                range = rangeOf(exercise5, extended);
                asked.clear();
                right = 0;
                drawn = true;
            } else if (move == 1 && plusButton()->isEnabled()) {
                plusButton()->click();
                extended = true;
            } else if (move == 2) {
                exercise5 = !exercise5;
                goTo(exercise5 ? Lesson7::Ex5 : Lesson7::Ex4)->click();
                extended = false;
            } else if (move == 3 && dice() % 4 == 0) {
                closeButton()->click();
                open(exercise5 ? Lesson7::Ex5 : Lesson7::Ex4);
                extended = false;
            } else if (move > 3 && nextButton()->isEnabled()) {
                solutionButton()->click(); // the learner asks for the key and types it
                const QString key = feedback.lastText().mid(QStringLiteral("The correct solution is: ").size());
                feedback.clear();
                retype(answer(), key);
                pressEnter(answer());
                QVERIFY(++right <= range.size());
                drawn = feedback.lastText() != program->shared().MsgDone;
                runsDone += drawn ? 0 : 1;
                QCOMPARE(right == range.size(), !drawn);
            }
            if (drawn) {
                // The new sentence belongs to the run's range and was not asked before in it.
                const int row = rowOnShow();
                QVERIFY(feedback.messages.isEmpty());
                QVERIFY(row >= range.first && row <= range.last && !asked.contains(row));
                asked.insert(row);
            }
        }
        QVERIFY(runsDone >= 2);
    }
};

QTEST_MAIN(tst_b07d4)
#include "tst_b07d4.moc"
