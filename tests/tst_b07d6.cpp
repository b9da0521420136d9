#include "TestSupport.h"

#include "app/Program.h"
#include "app/sobre.h"
#include "common/Colour.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "exercises/b07d6/EveningStory.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

namespace {

const int GapCount = int(eveningGaps.size());

// The English-keyboard keys a learner presses for each Hungarian letter.
QString keysFor(const QString &text)
{
    static const std::map<QChar, QChar> keys{
        {u'á', u'\''}, {u'é', u';'}, {u'í', u'`'}, {u'ó', u'='}, {u'ö', u'0'}, {u'ő', u'['},
        {u'ú', u']'},  {u'ü', u'-'}, {u'ű', u'\\'}, {u'Á', u'"'}, {u'É', u':'}, {u'Í', u'~'},
        {u'Ó', u'+'},  {u'Ö', u')'}, {u'Ő', u'{'}, {u'Ú', u'}'}, {u'Ü', u'_'}, {u'Ű', u'|'},
    };
    QString typed;
    for (const QChar ch : text) {
        const auto found = keys.find(ch);
        typed += found == keys.end() ? ch : found->second;
    }
    return typed;
}

QString answerOf(int gap, int person)
{
    return QString::fromUtf16(eveningGaps[std::size_t(gap)].answers[std::size_t(person)]);
}

QString kindOf(int gap)
{
    return QString::fromUtf16(eveningGaps[std::size_t(gap)].kind);
}

} // namespace

class tst_b07d6 : public QObject
{
    Q_OBJECT

private:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;

    ExerciseWindow *window() const { return program->windowFor(Exercise::Ex6); }
    template<typename T>
    T *find(const QString &name) const
    {
        T *control = window()->control<T>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QLineEdit *gapBox(int n) const { return find<QLineEdit>(QStringLiteral("Text1_%1").arg(n)); }
    QLineEdit *piece(int n) const { return find<QLineEdit>(QStringLiteral("Text2_%1").arg(n)); }
    QComboBox *person() const { return find<QComboBox>(QStringLiteral("Anna")); }
    QPushButton *button(const char *name) const { return find<QPushButton>(QString::fromLatin1(name)); }
    const Module1 &shared() const { return program->shared(); }

    Bgr editColour(int gap) const
    {
        const QString kind = kindOf(gap);
        return Colour::fromLiteral(kind == u"al" ? shared().ColourEditAl
                                   : kind == u"h" ? shared().ColourEditH
                                                  : shared().ColourEditT);
    }
    Bgr lockColour(int gap) const
    {
        const QString kind = kindOf(gap);
        return Colour::fromLiteral(kind == u"al" ? shared().ColourLockAl
                                   : kind == u"h" ? shared().ColourLockH
                                                  : shared().ColourLockT);
    }

    void open()
    {
        program->showMainMenu(false);
        program->openFromMainMenu(Exercise::Ex6);
        QVERIFY(window()->isLoaded());
        window()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window()->window()));
    }

    // Picks a person in the green field with the keyboard, as a learner can.
    void choosePerson(int index)
    {
        QComboBox *field = person();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(field, Qt::Key_Down);
    }

    // Clicks into a gap, replaces its text by typing the keys and presses Enter.
    void answer(int gap, const QString &text)
    {
        QTest::mouseClick(gapBox(gap), Qt::LeftButton);
        QVERIFY(gapBox(gap)->hasFocus());
        retype(gapBox(gap), keysFor(text));
        pressEnter(gapBox(gap));
    }

    bool isLocked(int gap) const
    {
        QLineEdit *box = gapBox(gap);
        return box->isReadOnly() && Colour::backColor(box) == lockColour(gap) &&
               Colour::foreColor(box) == Colour::White;
    }
    bool isOpen(int gap) const
    {
        QLineEdit *box = gapBox(gap);
        return !box->isReadOnly() && Colour::backColor(box) == editColour(gap) &&
               Colour::foreColor(box) == Colour::Black;
    }

    // The story as a reader sees it: every box of a row from left to right.
    QString story() const
    {
        QStringList rows;
        for (const int top : eveningStory().rowTops) {
            QList<QLineEdit *> boxes;
            for (QLineEdit *box : window()->window()->findChildren<QLineEdit *>()) {
                if (box->objectName().startsWith(u"Text") && box->y() == Twips::toPixels(top))
                    boxes << box;
            }
            std::sort(boxes.begin(), boxes.end(), [](QLineEdit *a, QLineEdit *b) { return a->x() < b->x(); });
            QStringList texts;
            for (QLineEdit *box : boxes)
                texts << box->text();
            rows << texts.join(u' ');
        }
        QString text = rows.join(u' ');
        text.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
        text.replace(QStringLiteral(" ."), QStringLiteral("."));
        text.replace(QStringLiteral(" ,"), QStringLiteral(","));
        return text.trimmed();
    }

    // Answers the given gaps right, each through its box.
    void solve(const QList<int> &gaps, int who)
    {
        for (int n : gaps)
            answer(n, answerOf(n, who));
    }

    QList<int> allGapsBut(int left) const
    {
        QList<int> gaps;
        for (int n = 0; n < GapCount; ++n) {
            if (n != left)
                gaps << n;
        }
        return gaps;
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

    void tableRelations()
    {
        for (int n = 0; n < GapCount; ++n) {
            const StoryGap &gap = eveningGaps[std::size_t(n)];
            const QString base = QString::fromUtf16(gap.base);
            const QString kind = kindOf(n);
            QVERIFY2(kind == u"al" || kind == u"h" || kind == u"t", qPrintable(kind));
            QVERIFY(!base.isEmpty());
            QCOMPARE(base.trimmed(), base);
            for (int who = 0; who < PersonCount; ++who) {
                const QString answer = answerOf(n, who);
                QVERIFY2(!answer.isEmpty(), qPrintable(QStringLiteral("gap %1").arg(n)));
                QCOMPARE(answer.trimmed(), answer);
                QCOMPARE(answer.normalized(QString::NormalizationForm_C), answer);
                QVERIFY(!answer.contains(QRegularExpression(QStringLiteral("[õûÕÛ]|  "))));
                // Place, time and object phrases do not change with the subject.
                if (kind != u"al")
                    QCOMPARE(answer, answerOf(n, 0));
            }
            if (kind != u"al") {
                // The phrase with its suffix: a final a or e lengthens before it.
                QString stem = base;
                if (stem.endsWith(u'a'))
                    stem.back() = u'á';
                else if (stem.endsWith(u'e'))
                    stem.back() = u'é';
                QVERIFY2(answerOf(n, 0).startsWith(stem) && answerOf(n, 0) != stem, qPrintable(answerOf(n, 0)));
            }
        }
        // Every fixed piece exists once, and no box of a row overlaps its neighbour.
        QList<int> indexes;
        for (const StoryPiece &piece : eveningPieces)
            indexes << piece.index;
        std::sort(indexes.begin(), indexes.end());
        for (int i = 0; i < indexes.size(); ++i)
            QCOMPARE(indexes[i], i);
    }

    void layoutKeepsRowsApart()
    {
        open();
        const QList<QLineEdit *> boxes = window()->window()->findChildren<QLineEdit *>();
        const QWidget *client = gapBox(0)->parentWidget();
        for (QLineEdit *a : boxes) {
            if (!a->objectName().startsWith(u"Text"))
                continue;
            QVERIFY2(client->rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QLineEdit *b : boxes) {
                if (a == b || !b->objectName().startsWith(u"Text"))
                    continue;
                // Neighbours touch at their borders (the design lets them overlap by up to 30 twips).
                const QRect overlap = a->geometry().intersected(b->geometry());
                QVERIFY2(overlap.isEmpty() || overlap.width() <= 2,
                         qPrintable(a->objectName() + QLatin1Char('/') + b->objectName()));
            }
            for (const char *other : {"Command2", "Command10", "Anna", "Label2"})
                QVERIFY2(!a->geometry().intersects(find<QWidget>(QString::fromLatin1(other))->geometry()),
                         qPrintable(a->objectName() + QLatin1Char('/') + QLatin1String(other)));
        }
    }

    void opensReady()
    {
        open();
        QCOMPARE(window()->window()->windowTitle(), QStringLiteral("  Bimbala!   ---   7. lecke: 6."));
        QCOMPARE(find<QLabel>(QStringLiteral("Label2"))->text(),
                 QStringLiteral("6.  Put in the missing words and suffixes."));
        QCOMPARE(button("Command1")->text(), QStringLiteral("&Start"));
        QVERIFY(button("Command1")->isEnabled());
        QVERIFY(!button("Command2")->isEnabled());
        QVERIFY(!button("Command4")->isEnabled());
        QVERIFY(person()->isEnabled());
        QCOMPARE(person()->count(), 3);
        QCOMPARE(person()->itemText(0), QStringLiteral("Anna"));
        QCOMPARE(person()->itemText(1), QStringLiteral("én"));
        QCOMPARE(person()->itemText(2), QStringLiteral("te"));
        QCOMPARE(person()->currentText(), QStringLiteral("Anna"));
        QCOMPARE(Colour::backColor(person()), Bgr(0x00C000));
        QCOMPARE(piece(1)->text(), QStringLiteral(".  Anna"));
        // Every gap offers its base word in its kind's pale colour; the first is empty.
        QCOMPARE(gapBox(0)->text(), QString());
        for (int n = 0; n < GapCount; ++n) {
            QVERIFY2(isOpen(n), qPrintable(QString::number(n)));
            if (n > 0)
                QCOMPARE(gapBox(n)->text(), QString::fromUtf16(eveningGaps[std::size_t(n)].base));
            QCOMPARE(gapBox(n)->accessibleName(), QStringLiteral("Gap %1").arg(n));
        }
        // Tab walks the gaps in story order.
        gapBox(0)->setFocus();
        for (int n = 1; n < GapCount; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), gapBox(n));
        }
    }

    void wholeStoryForEachPerson_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<QString>("row1");
        QTest::addColumn<QString>("gap1");
        QTest::addColumn<QString>("told");
        QTest::newRow("Anna") << 0 << ". Anna" << "belép"
                              << "Délután fél 5 van. Anna belép a lakásba. A fürdőszobában kezet mos. Bemegy a "
                                 "konyhába, vacsorát készít. Teát iszik, és szendvicset eszik. Azután kimegy az "
                                 "erkélyre, és rádiót hallgat. Bemegy a szobába, leül az íróasztalhoz, és tanul. Este "
                                 "telefonál Karin. Együtt mennek moziba.";
        QTest::newRow("én") << 1 << ".      " << "Belép"
                            << "Délután fél 5 van. Belépek a lakásba. A fürdőszobában kezet mosok. Bemegyek a "
                               "konyhába, vacsorát készítek. Teát iszom, és szendvicset eszem. Azután kimegyek az "
                               "erkélyre, és rádiót hallgatok. Bemegyek a szobába, leülök az íróasztalhoz, és tanulok. "
                               "Este telefonál Karin. Együtt megyünk moziba.";
        QTest::newRow("te") << 2 << ".      " << "Belép"
                            << "Délután fél 5 van. Belépsz a lakásba. A fürdőszobában kezet mosol. Bemész a konyhába, "
                               "vacsorát készítesz. Teát iszol, és szendvicset eszel. Azután kimész az erkélyre, és "
                               "rádiót hallgatsz. Bemész a szobába, leülsz az íróasztalhoz, és tanulsz. Este telefonál "
                               "Karin. Együtt mentek moziba.";
    }

    void wholeStoryForEachPerson()
    {
        QFETCH(int, who);
        QFETCH(QString, row1);
        QFETCH(QString, gap1);
        QFETCH(QString, told);
        open();
        choosePerson(who);
        button("Command1")->click();
        QCOMPARE(piece(1)->text(), row1);
        QCOMPARE(gapBox(1)->text(), gap1);
        QVERIFY(gapBox(0)->hasFocus());
        QVERIFY(!person()->isEnabled());
        QVERIFY(button("Command2")->isEnabled());
        QVERIFY(button("Command4")->isEnabled());

        // Any order: every seventh gap, round the story.
        for (int i = 0; i < GapCount; ++i) {
            const int n = (i * 7 + 3) % GapCount;
            answer(n, answerOf(n, who));
            QVERIFY2(isLocked(n), qPrintable(QString::number(n)));
            QCOMPARE(gapBox(n)->font().pointSizeF(), 12.0);
            if (i < GapCount - 1)
                QVERIFY2(feedback.messages.isEmpty(), qPrintable(feedback.lastText()));
        }
        QCOMPARE(feedback.beeps, 0);
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().text, shared().MsgDone);
        QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
        QCOMPARE(feedback.messages.last().title, QStringLiteral("  Bimbala!   ---   7. lecke: 6."));
        QCOMPARE(story(), told);

        QCOMPARE(button("Command1")->text(), QStringLiteral("&Restart"));
        QVERIFY(!button("Command2")->isEnabled());
        QVERIFY(!button("Command4")->isEnabled());
        QVERIFY(person()->isEnabled());
        // Enter judges nothing once the story is done.
        gapBox(5)->setFocus();
        pressEnter(gapBox(5));
        QCOMPARE(feedback.messages.size(), 1);
    }

    void judgesExactly_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("right");
        QTest::newRow("van") << 0 << 0 << "van" << true;
        QTest::newRow("van, blanks around") << 0 << 0 << "  van   " << true;
        QTest::newRow("Van, capital") << 0 << 0 << "Van" << false;
        QTest::newRow("van with a full stop") << 0 << 0 << "van." << false;
        QTest::newRow("va n, inner blank") << 0 << 0 << "va n" << false;
        QTest::newRow("blank gap") << 0 << 0 << "   " << false;
        QTest::newRow("a lakásba") << 0 << 2 << "a lakásba" << true;
        QTest::newRow("double blank inside") << 0 << 2 << "a  lakásba" << false;
        QTest::newRow("accent missing") << 0 << 6 << "vacsorat" << false;
        QTest::newRow("wrong accent") << 0 << 3 << "A fürdöszobában" << false;
        QTest::newRow("verb kept for Anna") << 0 << 4 << "mos" << true;
        QTest::newRow("megy kept for Anna") << 0 << 21 << "megy" << false;
        QTest::newRow("mennek") << 0 << 21 << "mennek" << true;
        QTest::newRow("én: small belépek") << 1 << 1 << "belépek" << false;
        QTest::newRow("én: Belépek") << 1 << 1 << "Belépek" << true;
        QTest::newRow("én: Anna's form") << 1 << 4 << "mos" << false;
        QTest::newRow("te: telefonál as for all") << 2 << 20 << "telefonál" << true;
        QTest::newRow("te: mentek") << 2 << 21 << "mentek" << true;
        QTest::newRow("te: én's form") << 2 << 21 << "megyünk" << false;
    }

    void judgesExactly()
    {
        QFETCH(int, who);
        QFETCH(int, gap);
        QFETCH(QString, typed);
        QFETCH(bool, right);
        open();
        choosePerson(who);
        button("Command1")->click();
        answer(gap, typed);
        if (right) {
            QCOMPARE(feedback.beeps, 0);
            QVERIFY(feedback.messages.isEmpty());
            QVERIFY(isLocked(gap));
            QVERIFY(gapBox((gap + 1) % GapCount)->hasFocus());
        } else {
            QCOMPARE(feedback.beeps, 1);
            QCOMPARE(feedback.messages.size(), 1);
            QCOMPARE(feedback.messages.last().text, shared().MsgWrong);
            QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
            QCOMPARE(feedback.messages.last().title, QStringLiteral("  Bimbala!   ---   7. lecke: 6."));
            QVERIFY(isOpen(gap));
            QCOMPARE(gapBox(gap)->text(), typed); // the box keeps what was typed
            QVERIFY(gapBox(gap)->hasFocus());
        }
    }

    void movesOnToNextOpenGap()
    {
        open();
        button("Command1")->click();
        solve({3, 4}, 0);
        QVERIFY(gapBox(5)->hasFocus());
        answer(2, answerOf(2, 0)); // 3 and 4 are solved: on to 5
        QVERIFY(gapBox(5)->hasFocus());
        answer(21, answerOf(21, 0)); // round to the start
        QVERIFY(gapBox(0)->hasFocus());
        solve({0, 1}, 0);
        QVERIFY(gapBox(5)->hasFocus());
        // Wrong: the focus stays where it was.
        answer(7, QStringLiteral("nem"));
        QVERIFY(gapBox(7)->hasFocus());
        // Tab into another gap: Next judges the gap that has the focus now.
        QTest::keyClick(gapBox(7), Qt::Key_Tab);
        QVERIFY(gapBox(8)->hasFocus());
        button("Command2")->click(); // "iszik" confirmed unchanged: right for Anna
        QVERIFY(isLocked(8));
        QVERIFY(isOpen(7));
    }

    void solutionShowsTheAnswer_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<int>("gap");
        for (int who = 0; who < PersonCount; ++who) {
            for (int gap : {0, 1, 9, 21}) {
                const QString name = QStringLiteral("person %1 gap %2").arg(who).arg(gap);
                QTest::newRow(qPrintable(name)) << who << gap;
            }
        }
    }

    void solutionShowsTheAnswer()
    {
        QFETCH(int, who);
        QFETCH(int, gap);
        open();
        choosePerson(who);
        button("Command1")->click();
        QTest::mouseClick(gapBox(gap), Qt::LeftButton);
        const QString before = gapBox(gap)->text();
        button("Command4")->click();
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: ") + answerOf(gap, who));
        QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
        QVERIFY(gapBox(gap)->hasFocus());
        // Nothing is filled in or counted.
        QCOMPARE(gapBox(gap)->text(), before);
        QVERIFY(isOpen(gap));
    }

    void restartBringsTheStoryBack()
    {
        open();
        choosePerson(2);
        button("Command1")->click();
        solve(allGapsBut(-1), 2);
        QCOMPARE(feedback.lastText(), shared().MsgDone);

        // The person can be chosen again; Restart then tells the story about them.
        choosePerson(1);
        button("Command1")->click();
        QCOMPARE(button("Command1")->text(), QStringLiteral("&Restart"));
        QVERIFY(!person()->isEnabled());
        QVERIFY(button("Command2")->isEnabled());
        QVERIFY(button("Command4")->isEnabled());
        QVERIFY(gapBox(0)->hasFocus());
        QCOMPARE(gapBox(0)->text(), QString());
        QCOMPARE(gapBox(1)->text(), QStringLiteral("Belép"));
        QCOMPARE(piece(1)->text(), QStringLiteral(".      "));
        for (int n = 0; n < GapCount; ++n) {
            QVERIFY2(isOpen(n), qPrintable(QString::number(n)));
            QCOMPARE(gapBox(n)->font().pointSizeF(), 12.0);
            if (n > 1)
                QCOMPARE(gapBox(n)->text(), QString::fromUtf16(eveningGaps[std::size_t(n)].base));
        }

        // The count starts again: the run ends at the 22nd gap, not before.
        feedback.clear();
        solve(allGapsBut(13), 1);
        QVERIFY(feedback.messages.isEmpty());
        answer(13, answerOf(13, 1));
        QCOMPARE(feedback.lastText(), shared().MsgDone);

        // Restart for Anna brings her name back into row 1.
        choosePerson(0);
        button("Command1")->click();
        QCOMPARE(piece(1)->text(), QStringLiteral(". Anna"));
        QCOMPARE(gapBox(1)->text(), QStringLiteral("belép"));
    }

    void personFixedWhileRunning()
    {
        open();
        choosePerson(1);
        QCOMPARE(person()->currentText(), QStringLiteral("én"));
        button("Command1")->click();
        QVERIFY(!person()->isEnabled());
        // The keys do nothing in the disabled field: én's forms are still expected.
        choosePerson(0);
        QCOMPARE(person()->currentText(), QStringLiteral("én"));
        answer(4, QStringLiteral("mosok"));
        QVERIFY(isLocked(4));
    }

    void solvedGapIsCountedOnce()
    {
        open();
        button("Command1")->click();
        solve(allGapsBut(10), 0);
        QVERIFY(feedback.messages.isEmpty());
        // Judging solved gaps again counts nothing and moves on to the open gap.
        for (int n : {0, 9, 11, 21}) {
            QTest::mouseClick(gapBox(n), Qt::LeftButton);
            QVERIFY(gapBox(n)->hasFocus());
            pressEnter(gapBox(n));
            QVERIFY(gapBox(10)->hasFocus());
            QVERIFY(isLocked(n));
        }
        QVERIFY(feedback.messages.isEmpty());
        QVERIFY(button("Command2")->isEnabled());
        answer(10, answerOf(10, 0));
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
    }

    void startAgainKeepsSolvedGap_data()
    {
        QTest::addColumn<bool>("solved");
        QTest::addColumn<QString>("after");
        QTest::newRow("solved gap 1 stays") << true << "Belépek";
        QTest::newRow("open gap 1 offered again") << false << "Belép";
    }

    void startAgainKeepsSolvedGap()
    {
        QFETCH(bool, solved);
        QFETCH(QString, after);
        open();
        choosePerson(1);
        button("Command1")->click();
        if (solved)
            answer(1, QStringLiteral("Belépek"));
        else
            answer(1, QStringLiteral("belépek"));
        answer(2, answerOf(2, 1));
        button("Command1")->click(); // Start again mid-run
        QCOMPARE(button("Command1")->text(), QStringLiteral("&Start"));
        QCOMPARE(gapBox(1)->text(), after);
        QCOMPARE(isLocked(1), solved);
        QVERIFY(isLocked(2));
        QVERIFY(gapBox(0)->hasFocus());
    }

    void firstStartKeepsTypedText()
    {
        open();
        // Typed before Start: the text stays, and Enter judges nothing yet.
        QTest::mouseClick(gapBox(0), Qt::LeftButton);
        type(gapBox(0), QStringLiteral("van"));
        pressEnter(gapBox(0));
        QVERIFY(feedback.messages.isEmpty());
        button("Command1")->click();
        QCOMPARE(gapBox(0)->text(), QStringLiteral("van"));
        pressEnter(gapBox(0));
        QVERIFY(feedback.messages.isEmpty());
        QVERIFY(isLocked(0));
    }

    void reopeningStartsAfresh()
    {
        open();
        choosePerson(2);
        button("Command1")->click();
        solve({0, 1, 2}, 2);
        button("Command3")->click(); // Close
        QVERIFY(!window()->isLoaded());
        open();
        QCOMPARE(person()->currentText(), QStringLiteral("Anna"));
        QVERIFY(isOpen(1));
        QCOMPARE(gapBox(0)->text(), QString());
        QCOMPARE(piece(1)->text(), QStringLiteral(".  Anna"));
        button("Command1")->click();
        // Counting starts from nothing again: only all 22 end the run.
        solve(allGapsBut(-1), 0);
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
    }

    void menusOfTheWindow()
    {
        open();
        window()->window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QVERIFY(feedback.lastText().startsWith(
            QStringLiteral("Select the person of the subject (Anna/én/te) in the green selection field and click the "
                           "\"Start\" button. Put your solution in any of the gaps. Click on the \"Next\" button or "
                           "press the \"Enter\" key. Go on.\r\n\r\nIf you want")));
        auto *help = find<QLabel>(QStringLiteral("Label3"));
        QVERIFY(help->isHidden());
        button("Command10")->click();
        QVERIFY(!help->isHidden());
        QVERIFY(help->text().startsWith(u' '));
        window()->window()->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
        QVERIFY(program->about().isLoaded());
        program->about().Unload();
    }
};

QTEST_MAIN(tst_b07d6)
#include "tst_b07d6.moc"
