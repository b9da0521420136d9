#include "TestSupport.h"

#include "app/Program.h"
#include "common/Colour.h"
#include "common/Module1.h"
#include "exercises/b07d4/SentenceContent.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <memory>
#include <random>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

namespace {

QString str(const char16_t *text) { return QString::fromUtf16(text); }
QString col(int row, const char16_t *SentenceRow::*column) { return str(sentenceRows[std::size_t(row)].*column); }
QStringList words(const QString &text) { return text.split(u' ', Qt::SkipEmptyParts); }

// The run a learner gets: exercise 4 or 5, basic or extended.
RowRange rangeOf(bool exercise5, bool extended)
{
    return exercise5 ? (extended ? Exercise5Extended : Exercise5Basic)
                     : (extended ? Exercise4Extended : Exercise4Basic);
}

} // namespace

class tst_b07d4 : public QObject
{
    Q_OBJECT

private:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;

    ExerciseWindow *window() const { return program->windowFor(Exercise::Ex4); }
    template<typename T>
    T *find(const char *name) const
    {
        T *control = window()->control<T>(QString::fromLatin1(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QLineEdit *answer() const { return find<QLineEdit>("Text1"); }
    QString text(const char *name) const { return find<QLineEdit>(name)->text(); }
    QString log() const { return find<QPlainTextEdit>("Text4")->toPlainText(); }
    QString cue() const { return find<QLabel>("Label3")->text(); }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QStringList shownPictures() const
    {
        QStringList shown;
        for (int i = 1; i <= 6; ++i) {
            if (!find<QLabel>(qPrintable(QStringLiteral("Image%1").arg(i)))->isHidden())
                shown << QStringLiteral("Image%1").arg(i);
        }
        return shown;
    }

    void open(Exercise exercise)
    {
        program->showMainMenu(false);
        program->openFromMainMenu(exercise);
        QVERIFY(window()->isLoaded());
        window()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window()->window()));
    }

    // The row whose head, cue and tail are on show (a learner sees no more); -1 if none.
    int rowOnShow() const
    {
        for (int row = 0; row < SentenceCount; ++row) {
            if (text("Text2") == col(row, &SentenceRow::head) && cue() == u' ' + col(row, &SentenceRow::cue) &&
                text("Text3") == u' ' + col(row, &SentenceRow::tail))
                return row;
        }
        return -1;
    }

    // Answers every sentence right until the run is accomplished; the rows asked, in order.
    void finishRun(QList<int> &asked)
    {
        while (feedback.lastText() != program->shared().MsgDone && asked.size() < 200) {
            const int row = rowOnShow();
            QVERIFY2(row >= 0, qPrintable(text("Text2") + u'|' + cue() + u'|' + text("Text3")));
            QCOMPARE(answer()->text(), col(row, &SentenceRow::prefill));
            asked << row;
            retype(answer(), col(row, &SentenceRow::key));
            pressEnter(answer());
        }
    }

    // Opens the exercise of the row and starts the run that holds it, drawing that row first.
    void startAt(int row)
    {
        const bool exercise5 = row >= Exercise5Basic.first;
        const bool extended = row > (exercise5 ? Exercise5Basic.last : Exercise4Basic.last);
        open(exercise5 ? Exercise::Ex5 : Exercise::Ex4);
        if (extended)
            button("Plus")->click();
        const RowRange range = rangeOf(exercise5, extended);
        random.script({(row - range.first + 0.5) / range.size()});
        button("Command1")->click();
        QCOMPARE(rowOnShow(), row);
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

    void rowRelations_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < SentenceCount; ++row)
            QTest::addRow("row %d", row) << row;
    }

    void rowRelations()
    {
        QFETCH(int, row);
        const SentenceRow &s = sentenceRows[std::size_t(row)];
        const QString head = str(s.head), cue = str(s.cue), prefill = str(s.prefill), key = str(s.key),
                      tail = str(s.tail);
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

        if (row <= Exercise4Extended.last) {
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
            QCOMPARE(s.person, Person::None);
        } else {
            QVERIFY(cue == prefill + QStringLiteral("...") || cue == u'(' + prefill + u')');
            QCOMPARE(words(prefill).size(), 1);
            QCOMPARE(words(key).size(), 1);
            QCOMPARE(key.left(2), prefill.left(2));
            QCOMPARE(key == prefill, row == 65 || row == 74 || row >= 105);
            // The pictogram agrees with the ending of the verb.
            static const QRegularExpression endings[] = {
                QRegularExpression(QStringLiteral(".")),         QRegularExpression(QStringLiteral("[km]$")),
                QRegularExpression(QStringLiteral("(sz|l)$")),   QRegularExpression(QStringLiteral(".")),
                QRegularExpression(QStringLiteral("[uü]nk$")),   QRegularExpression(QStringLiteral("t[eoö]k$")),
                QRegularExpression(QStringLiteral("n[ae]k$"))};
            QVERIFY2(endings[int(s.person)].match(key).hasMatch(), qPrintable(key));
            if (s.person == Person::On)
                QCOMPARE(key, prefill);
        }
    }

    void rowsTellApart()
    {
        // A learner tells the sentences apart by what is on show.
        QSet<QString> seen;
        for (const SentenceRow &s : sentenceRows)
            seen.insert(str(s.head) + u'|' + str(s.cue) + u'|' + str(s.tail));
        QCOMPARE(seen.size(), SentenceCount);
    }

    void oneSentence_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("insertAt"); // -1: type the whole key instead
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QString>("picture");
        const QString none;
        QTest::newRow("empty head") << 0 << -1 << none << none << QStringLiteral(" Pestről jövök.") << none;
        QTest::newRow("full stop tail") << 5 << -1 << none << none << QStringLiteral("Bemegyek az irodába.") << none;
        QTest::newRow("double blank 6") << 6 << 6 << QStringLiteral("ból") << QStringLiteral("re")
                                        << QStringLiteral(" Londonból Budapestre utazunk.") << none;
        QTest::newRow("double blank 13") << 13 << 7 << QStringLiteral("ba") << QStringLiteral("h0z")
                                         << QStringLiteral("Bemegyek a kiadóba a szerkesztőhöz.") << none;
        QTest::newRow("tail '. Jó?'") << 22 << -1 << none << none << QStringLiteral("Felmegyünk a Gellérthegyre. Jó?")
                                      << none;
        QTest::newRow("question tail") << 46 << -1 << none << none << QStringLiteral("Hányas autóbusz megy Budára?")
                                       << none;
        QTest::newRow("subject named") << 51 << -1 << none << none
                                       << QStringLiteral("A lányok az erkélyen beszélgetnek.") << none;
        QTest::newRow("én") << 59 << -1 << none << none << QStringLiteral("Levelet írok Évának.") << "Image1";
        QTest::newRow("te") << 52 << -1 << none << none << QStringLiteral("Mit csinálsz délután?") << "Image2";
        QTest::newRow("Ön, Enter at once") << 105 << 0 << none << none << QStringLiteral("Nem kér kávét?") << "Image3";
        QTest::newRow("mi") << 63 << -1 << none << none << QStringLiteral("A mozi előtt találkozunk.") << "Image4";
        QTest::newRow("ti") << 54 << -1 << none << none << QStringLiteral("Hol béreltek lakást?") << "Image5";
        QTest::newRow("Önök") << 60 << -1 << none << none << QStringLiteral("Teát készítenek?") << "Image6";
        QTest::newRow("comma inside, Enter at once")
            << 74 << 0 << none << none << QStringLiteral("Neked is tetszik ez a zene, ugye?") << none;
    }

    void oneSentence()
    {
        QFETCH(int, row);
        QFETCH(int, insertAt);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, logged);
        QFETCH(QString, picture);
        startAt(row);
        QCOMPARE(shownPictures(), picture.isEmpty() ? QStringList() : QStringList{picture});
        if (!picture.isEmpty())
            QVERIFY(find<QLabel>(qPrintable(picture))->accessibleName().startsWith(QStringLiteral("Person: ")));
        QVERIFY(answer()->hasFocus());
        if (insertAt < 0) {
            retype(answer(), col(row, &SentenceRow::key));
        } else {
            answer()->setCursorPosition(insertAt);
            type(answer(), first);
            answer()->end(false);
            type(answer(), last);
        }
        pressEnter(answer());
        QCOMPARE(feedback.messages.size(), 0);
        QCOMPARE(log(), logged + u'\n');
        // The next sentence is on show with its own picture.
        const int next = rowOnShow();
        QVERIFY(next >= 0 && next != row);
        const Person person = sentenceRows[std::size_t(next)].person;
        QCOMPARE(shownPictures(), person == Person::None ? QStringList()
                                                         : QStringList{QStringLiteral("Image%1").arg(int(person))});
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
            QCOMPARE(feedback.beeps, 1);
            QCOMPARE(feedback.lastText(), program->shared().MsgWrong);
            QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
            QCOMPARE(answer()->text(), boxAfter); // blanks collapsed, as judged
            QCOMPARE(rowOnShow(), 4);
            QCOMPARE(log(), QString());
        }
    }

    void solutionShowsKey()
    {
        startAt(4);
        button("Command1")->setFocus();
        button("Command8")->click();
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: az operához"));
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QCOMPARE(feedback.messages.last().title, QStringLiteral("  Bimbala!   ---   7. lecke: 4."));
        QVERIFY(answer()->hasFocus());
        feedback.clear();
        retype(answer(), QStringLiteral("az operához"));
        pressEnter(answer());
        QVERIFY(feedback.messages.isEmpty());
        QCOMPARE(log().count(u'\n'), 1);
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
        open(exercise5 ? Exercise::Ex5 : Exercise::Ex4);
        pressEnter(answer()); // nothing to judge before Start
        QVERIFY(feedback.messages.isEmpty());
        if (extended) {
            button("Plus")->click();
            QVERIFY(find<QLabel>("Label1")->isHidden());
        }
        const RowRange range = rangeOf(exercise5, extended);
        for (const QString &caption : {QStringLiteral("&Start"), QStringLiteral("&Restart")}) {
            QCOMPARE(button("Command1")->text(), caption);
            feedback.clear();
            button("Command1")->click();
            QCOMPARE(log(), QString());
            QVERIFY(!button("Plus")->isEnabled());
            QCOMPARE(Colour::backColor(answer()), exercise5 && extended ? Bgr(0xC0FFFF) : Colour::White);
            QList<int> asked;
            finishRun(asked);
            QCOMPARE(asked.size(), size);
            QCOMPARE(QSet<int>(asked.begin(), asked.end()).size(), size);
            QCOMPARE(*std::min_element(asked.begin(), asked.end()), range.first);
            QCOMPARE(*std::max_element(asked.begin(), asked.end()), range.last);
            QCOMPARE(log().count(u'\n'), size);
            QCOMPARE(feedback.messages.size(), 1);
            QCOMPARE(feedback.beeps, 1);
            QVERIFY(button("Command1")->hasFocus());
            QVERIFY(!button("Command2")->isEnabled() && !button("Command8")->isEnabled());
            QVERIFY(button("Plus")->isEnabled());
            QCOMPARE(answer()->text() + text("Text2") + text("Text3") + cue(), QString());
            pressEnter(answer()); // Enter does nothing once the run is over
            QCOMPARE(feedback.messages.size(), 1);
        }
    }

    void switchMidRun()
    {
        open(Exercise::Ex4);
        button("Command1")->click();
        for (int i = 0; i < 5; ++i) {
            retype(answer(), col(rowOnShow(), &SentenceRow::key));
            pressEnter(answer());
        }
        const QString cueBefore = cue();
        button("Command13")->click(); // &5
        QCOMPARE(program->shared().ExerciseNo, 7);
        QCOMPARE(window()->window()->windowTitle(), QStringLiteral("  Bimbala!   ---   7. lecke: 5."));
        QCOMPARE(find<QLabel>("Label2")->text(), QStringLiteral("5. Put in the right verb forms."));
        QVERIFY(!button("Command13")->isEnabled() && button("Command12")->isEnabled());
        QCOMPARE(log() + answer()->text() + text("Text2") + text("Text3"), QString());
        QCOMPARE(cue(), cueBefore); // the sentence drawn before the switch can still be answered
        QVERIFY(button("Command1")->isEnabled() && button("Command2")->isEnabled());

        // Back to 4: the interrupted run's answered rows are asked again in a full run.
        button("Command12")->click();
        QCOMPARE(find<QLabel>("Label2")->text(), QStringLiteral("4. Put in the missing suffixes."));
        button("Command1")->click();
        QList<int> asked;
        finishRun(asked);
        QCOMPARE(asked.size(), 17);
        QCOMPARE(QSet<int>(asked.begin(), asked.end()).size(), 17);
    }

    void extendedRunsAndReopening()
    {
        open(Exercise::Ex5);
        button("Plus")->click();
        button("Command1")->click();
        QCOMPARE(Colour::backColor(answer()), Bgr(0xC0FFFF));
        button("Command12")->click(); // &4: basic run again, the box stays yellow
        button("Command1")->click();
        QCOMPARE(Colour::backColor(answer()), Bgr(0xC0FFFF));
        QList<int> asked;
        finishRun(asked);
        QCOMPARE(asked.size(), 17);
        button("Plus")->click(); // Plus before Restart extends the new run
        feedback.clear();
        button("Command1")->click();
        asked.clear();
        finishRun(asked);
        QCOMPARE(asked.size(), 51);

        button("Plus")->click();
        button("Command3")->click(); // Close
        QVERIFY(!window()->isLoaded());
        program->openFromMainMenu(Exercise::Ex4);
        QVERIFY(!find<QLabel>("Label1")->isHidden());
        QCOMPARE(Colour::backColor(answer()), Colour::White);
        feedback.clear();
        button("Command1")->click();
        asked.clear();
        finishRun(asked);
        QCOMPARE(asked.size(), 17); // the basic run the hint offers
    }

    void captionAndHeading_data()
    {
        QTest::addColumn<bool>("fromDrill");
        QTest::addColumn<bool>("exercise5");
        QTest::addColumn<QString>("heading");
        QTest::newRow("4 from menu") << false << false << "4. Put in the missing suffixes.";
        QTest::newRow("5 from menu") << false << true << "5. Put in the right verb forms.";
        QTest::newRow("4 from drill") << true << false << "4. Put in the missing suffixes:";
        QTest::newRow("5 from drill") << true << true << "5. Put in the right verb forms.";
    }

    void captionAndHeading()
    {
        QFETCH(bool, fromDrill);
        QFETCH(bool, exercise5);
        QFETCH(QString, heading);
        if (fromDrill) {
            program->showMainMenu(false);
            program->openFromMainMenu(Exercise::Ex1a);
            const QString goTo = QString::fromLatin1(exercise5 ? "Command8" : "Command15");
            program->windowFor(Exercise::Ex1a)->control<QPushButton>(goTo)->click();
            QVERIFY(window()->isLoaded());
            window()->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window()->window()));
        } else {
            open(exercise5 ? Exercise::Ex5 : Exercise::Ex4);
        }
        QCOMPARE(window()->window()->windowTitle(),
                 QStringLiteral("  Bimbala!   ---   7. lecke: ") + (exercise5 ? u'5' : u'4') + u'.');
        QCOMPARE(find<QLabel>("Label2")->text(), heading);
        QCOMPARE(button("Command12")->isEnabled(), exercise5);
        QCOMPARE(button("Command13")->isEnabled(), !exercise5);
        window()->window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QVERIFY(feedback.lastText().startsWith(QStringLiteral("Click the \"Start\" button and put your solution in "
                                                              "the gap. Then click on the \"Next\" button")));
        QVERIFY(answer()->hasFocus());
    }

    // Switches, restarts, Plus, closing and answers in any order: every run still
    // asks each row of its range once and ends after as many right answers.
    void anySequenceEndsItsRuns()
    {
        std::mt19937 dice(4);
        open(Exercise::Ex4);
        bool exercise5 = false, extended = false;
        RowRange range{0, -1};
        QSet<int> asked;
        int right = 0, runsDone = 0;
        const auto noteRow = [&] {
            const int row = rowOnShow();
            QVERIFY(row >= range.first && row <= range.last);
            QVERIFY(!asked.contains(row));
            asked.insert(row);
        };
        for (int step = 0; step < 600; ++step) {
            feedback.clear();
            switch (dice() % 8) {
            case 0:
                if (button("Command1")->isEnabled()) {
                    button("Command1")->click();
                    range = rangeOf(exercise5, extended);
                    asked.clear();
                    right = 0;
                    noteRow();
                }
                break;
            case 1:
                if (button("Plus")->isEnabled()) {
                    button("Plus")->click();
                    extended = true;
                }
                break;
            case 2:
                exercise5 = !exercise5;
                button(exercise5 ? "Command13" : "Command12")->click();
                extended = false;
                break;
            case 3:
                if (dice() % 4 == 0) {
                    button("Command3")->click();
                    open(exercise5 ? Exercise::Ex5 : Exercise::Ex4);
                    extended = false;
                }
                break;
            default:
                if (!button("Command2")->isEnabled())
                    break;
                button("Command8")->click(); // the learner asks for the key and types it
                const QString key = feedback.lastText().mid(QStringLiteral("The correct solution is: ").size());
                feedback.clear();
                retype(answer(), key);
                pressEnter(answer());
                ++right;
                QVERIFY(right <= range.size());
                if (feedback.lastText() == program->shared().MsgDone) {
                    QCOMPARE(right, range.size());
                    ++runsDone;
                } else {
                    QVERIFY(feedback.messages.isEmpty());
                    noteRow();
                }
            }
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(runsDone >= 2);
    }
};

QTEST_MAIN(tst_b07d4)
#include "tst_b07d4.moc"
