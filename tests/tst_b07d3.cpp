#include "TestSupport.h"

#include "app/Program.h"
#include "app/sobre.h"
#include "common/Colour.h"
#include "common/Module1.h"
#include "common/Twips.h"
#include "exercises/b07d3/MorningJourney.h"
#include "exercises/frame/ExerciseWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <map>
#include <memory>

using TestSupport::pressEnter;
using TestSupport::retype;
using TestSupport::type;

namespace {

const int GapCount = int(journeyGaps.size());
const QString Title = QStringLiteral("  Bimbala!   ---   7. lecke: 3.");

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
    return QString::fromUtf16(journeyGaps[std::size_t(gap)].answers[std::size_t(person)]);
}

QString baseOf(int gap)
{
    return QString::fromUtf16(journeyGaps[std::size_t(gap)].base);
}

QString sceneOf(int picture)
{
    return picture < 0 ? QString() : QString::fromUtf16(journeyScenes[std::size_t(picture)]);
}

} // namespace

class tst_b07d3 : public QObject
{
    Q_OBJECT

private:
    RecordingFeedback feedback;
    ScriptedRandom random;
    std::unique_ptr<Program> program;

    ExerciseWindow *window() const { return program->windowFor(Exercise::Ex3); }
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
    QComboBox *person() const { return find<QComboBox>(QStringLiteral("Combo1")); }
    QPushButton *button(const char *name) const { return find<QPushButton>(QString::fromLatin1(name)); }
    QLabel *frame(const char *name) const { return find<QLabel>(QString::fromLatin1(name)); }
    void clickArrow(const char *name, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(find<QToolButton>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    const Module1 &shared() const { return program->shared(); }

    Bgr colourOf(int gap, bool locked) const
    {
        const bool verb = QString::fromUtf16(journeyGaps[std::size_t(gap)].kind) == u"al";
        if (verb)
            return Colour::fromLiteral(locked ? shared().ColourLockAl : shared().ColourEditAl);
        return Colour::fromLiteral(locked ? shared().ColourLockH : shared().ColourEditH);
    }
    bool isLocked(int gap) const
    {
        QLineEdit *box = gapBox(gap);
        return box->isReadOnly() && Colour::backColor(box) == colourOf(gap, true) &&
               Colour::foreColor(box) == Colour::White;
    }
    bool isOpen(int gap) const
    {
        QLineEdit *box = gapBox(gap);
        return !box->isReadOnly() && Colour::backColor(box) == colourOf(gap, false) &&
               Colour::foreColor(box) == Colour::Black;
    }

    void open()
    {
        program->showMainMenu(false);
        program->openFromMainMenu(Exercise::Ex3);
        QVERIFY(window()->isLoaded());
        window()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window()->window()));
    }

    void choosePerson(int index)
    {
        QComboBox *field = person();
        QWidget *before = QApplication::focusWidget();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(field, Qt::Key_Down);
        if (before)
            before->setFocus();
    }

    // Clicks into a gap and puts the answer in as a learner does: the suffix
    // typed after the word on show when it fits, the whole word retyped otherwise.
    void answer(int gap, const QString &text)
    {
        QLineEdit *box = gapBox(gap);
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->hasFocus());
        if (text.startsWith(box->text()) && !box->text().isEmpty()) {
            QTest::keyClick(box, Qt::Key_End);
            type(box, keysFor(text.mid(box->text().size())));
        } else {
            retype(box, keysFor(text));
        }
        QCOMPARE(box->text(), text);
        pressEnter(box);
    }

    // Which picture each frame shows, as read out to the learner (-1: empty frame).
    int pictureIn(const char *name) const
    {
        QLabel *shown = frame(name);
        const QString scene = shown->accessibleDescription();
        if (scene.isEmpty()) {
            if (!shown->pixmap().isNull())
                return -2; // a picture nobody can name
            return -1;
        }
        if (shown->pixmap().isNull())
            return -3; // named but not drawn
        for (int n = 0; n < StoryPictureCount; ++n) {
            if (sceneOf(n) == scene)
                return n;
        }
        return -4;
    }
    QList<int> strip() const { return {pictureIn("Image1"), pictureIn("Image2"), pictureIn("Image3")}; }

    QString story() const
    {
        QStringList rows;
        for (const int top : morningJourney().rowTops) {
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

    void solveAllBut(int left, int who)
    {
        for (int n = 0; n < GapCount; ++n) {
            if (n != left)
                answer(n, answerOf(n, who));
        }
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
        int lastPicture = 0;
        for (int n = 0; n < GapCount; ++n) {
            const StoryGap &gap = journeyGaps[std::size_t(n)];
            const QString kind = QString::fromUtf16(gap.kind);
            const QString base = baseOf(n);
            QVERIFY2(kind == u"h" || kind == u"al", qPrintable(kind));
            QCOMPARE(base.trimmed(), base);
            for (int who = 0; who < PersonCount; ++who) {
                const QString answer = answerOf(n, who);
                QVERIFY(!answer.isEmpty());
                QCOMPARE(answer.trimmed(), answer);
                QCOMPARE(answer.normalized(QString::NormalizationForm_C), answer);
                QVERIFY(!answer.contains(QRegularExpression(QStringLiteral("[õûÕÛ]|  "))));
            }
            if (kind == u"h") {
                // The phrase takes a suffix, the same whoever travels; a final a may lengthen before it.
                QString lengthened = base;
                if (lengthened.endsWith(u'a'))
                    lengthened.back() = u'á';
                const QString answer = answerOf(n, 0);
                QVERIFY2((answer.startsWith(base) || answer.startsWith(lengthened)) && answer.size() > base.size(),
                         qPrintable(base));
                QCOMPARE(answerOf(n, 1), answerOf(n, 0));
                QCOMPARE(answerOf(n, 2), answerOf(n, 0));
            } else {
                // Laci's verb is the dictionary form on show; "én" ends in -k, "te" in -sz.
                QCOMPARE(answerOf(n, 0), base);
                QVERIFY2(answerOf(n, 1).endsWith(u'k'), qPrintable(answerOf(n, 1)));
                QVERIFY2(answerOf(n, 2).endsWith(QStringLiteral("sz")), qPrintable(answerOf(n, 2)));
            }
            // The pictures follow the story: from the first, one step at most per gap, to the last.
            QVERIFY(gap.picture == lastPicture || gap.picture == lastPicture + 1);
            lastPicture = gap.picture;
        }
        QCOMPARE(journeyGaps.front().picture, 0);
        QCOMPARE(lastPicture, StoryPictureCount - 1);
        for (int n = 0; n < StoryPictureCount; ++n)
            QVERIFY(!sceneOf(n).isEmpty());
    }

    void opensReady()
    {
        open();
        QCOMPARE(window()->window()->windowTitle(), Title);
        QCOMPARE(find<QLabel>(QStringLiteral("Label2"))->text(), QStringLiteral("3.  Put in the missing suffixes."));
        QCOMPARE(find<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("Ki?"));
        QCOMPARE(person()->count(), 3);
        QCOMPARE(person()->itemText(0), QStringLiteral("Laci"));
        QCOMPARE(person()->itemText(1), QStringLiteral("én"));
        QCOMPARE(person()->itemText(2), QStringLiteral("te"));
        QCOMPARE(person()->currentText(), QStringLiteral("Laci"));
        QCOMPARE(Colour::backColor(person()), Bgr(0x00C000));
        QVERIFY(!button("Command7")->isEnabled()); // "&3", this window's own
        QVERIFY(!button("Command2")->isEnabled());
        QVERIFY(!button("Command4")->isEnabled());
        QCOMPARE(button("Command1")->text(), QStringLiteral("&Start"));
        QCOMPARE(piece(0)->text(), QStringLiteral("Laci reggel"));
        QCOMPARE(strip(), (QList<int>{-1, -1, -1}));
        for (int n = 0; n < GapCount; ++n) {
            QCOMPARE(gapBox(n)->text(), baseOf(n));
            QVERIFY2(isOpen(n), qPrintable(QString::number(n)));
        }
        // The fixed pieces are text on the window: locked and never in the way of Tab.
        for (QLineEdit *box : window()->window()->findChildren<QLineEdit *>()) {
            if (box->objectName().startsWith(u"Text2_")) {
                QVERIFY(box->isReadOnly());
                QCOMPARE(box->focusPolicy(), Qt::NoFocus);
            }
        }
        gapBox(0)->setFocus();
        for (int n = 1; n < GapCount; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), gapBox(n));
        }
    }

    void wholeStoryForEachPerson_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<QString>("told");
        QTest::newRow("Laci") << 0
                              << "Laci reggel fél nyolckor kilép a házból. A megállóban felszáll a 7-es autóbuszra. A "
                                 "Körtérnél leszáll az autóbuszról. Átmegy az utcán, és a másik oldalon felszáll a "
                                 "6-os villamosra. Leül az ablak mellett. A hídnál feláll, és leszáll a villamosról. "
                                 "Nyolc órakor bemegy az E épületbe, és felmegy a harmadik emeletre.";
        QTest::newRow("én") << 1
                            << "(Én) reggel fél nyolckor kilépek a házból. A megállóban felszállok a 7-es autóbuszra. "
                               "A Körtérnél leszállok az autóbuszról. Átmegyek az utcán, és a másik oldalon felszállok "
                               "a 6-os villamosra. Leülök az ablak mellett. A hídnál felállok, és leszállok a "
                               "villamosról. Nyolc órakor bemegyek az E épületbe, és felmegyek a harmadik emeletre.";
        QTest::newRow("te") << 2
                            << "(Te) reggel fél nyolckor kilépsz a házból. A megállóban felszállsz a 7-es autóbuszra. "
                               "A Körtérnél leszállsz az autóbuszról. Átmész az utcán, és a másik oldalon felszállsz a "
                               "6-os villamosra. Leülsz az ablak mellett. A hídnál felállsz, és leszállsz a "
                               "villamosról. Nyolc órakor bemész az E épületbe, és felmész a harmadik emeletre.";
    }

    void wholeStoryForEachPerson()
    {
        QFETCH(int, who);
        QFETCH(QString, told);
        open();
        choosePerson(who);
        button("Command1")->click();
        QVERIFY(gapBox(0)->hasFocus());
        QVERIFY(button("Command2")->isDefault());
        // From the end of the story backwards: after each answer the focus moves on round the story.
        for (int i = 0; i < GapCount; ++i) {
            const int n = GapCount - 1 - i;
            answer(n, answerOf(n, who));
            QVERIFY2(isLocked(n), qPrintable(QString::number(n)));
            if (i < GapCount - 1) {
                QVERIFY2(feedback.messages.isEmpty(), qPrintable(feedback.lastText()));
                QVERIFY(gapBox(0)->hasFocus()); // the first open gap after the last one
            }
        }
        QCOMPARE(feedback.beeps, 0);
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.messages.last().text, shared().MsgDone);
        QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
        QCOMPARE(feedback.messages.last().title, Title);
        QCOMPARE(story(), told);

        QCOMPARE(button("Command1")->text(), QStringLiteral("&Restart"));
        QVERIFY(!button("Command2")->isEnabled());
        QVERIFY(!button("Command2")->isDefault());
        QVERIFY(!button("Command4")->isEnabled());
        QVERIFY(person()->isEnabled());
        pressEnter(gapBox(0));
        QCOMPARE(feedback.messages.size(), 1);
    }

    void judgesAfterCollapsingBlanks_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("judged");
        QTest::addColumn<bool>("right");
        QTest::newRow("kilép") << 0 << 1 << "kilép" << "kilép" << true;
        QTest::newRow("kilép, blanks around") << 0 << 1 << " kilép " << " kilép " << true;
        QTest::newRow("kilépnek for Laci") << 0 << 1 << "kilépnek" << "kilépnek" << true;
        QTest::newRow("kilépnek, blank after") << 0 << 1 << "kilépnek " << "kilépnek " << false;
        QTest::newRow("kilépnek, blanks before") << 0 << 1 << "   kilépnek" << " kilépnek" << false;
        QTest::newRow("kilépnek for én") << 1 << 1 << "kilépnek" << "kilépnek" << false;
        QTest::newRow("kilépek for én") << 1 << 1 << "kilépek" << "kilépek" << true;
        QTest::newRow("kilépnek elsewhere") << 0 << 6 << "kilépnek" << "kilépnek" << false;
        QTest::newRow("double blank inside") << 0 << 2 << "a  házból" << "a házból" << true;
        QTest::newRow("blank runs everywhere") << 2 << 22 << "  a   harmadik    emeletre  "
                                               << " a harmadik emeletre " << true;
        QTest::newRow("capital") << 0 << 2 << "A házból" << "A házból" << false;
        QTest::newRow("accent missing") << 0 << 2 << "a hazból" << "a hazból" << false;
        QTest::newRow("wrong accent") << 0 << 5 << "A Körtérnel" << "A Körtérnel" << false;
        QTest::newRow("full stop") << 0 << 2 << "a házból." << "a házból." << false;
        QTest::newRow("inner blank") << 0 << 9 << "az ut cán" << "az ut cán" << false;
        QTest::newRow("te form") << 2 << 8 << "Átmész" << "Átmész" << true;
        QTest::newRow("Laci form for te") << 2 << 8 << "Átmegy" << "Átmegy" << false;
    }

    void judgesAfterCollapsingBlanks()
    {
        QFETCH(int, who);
        QFETCH(int, gap);
        QFETCH(QString, typed);
        QFETCH(QString, judged);
        QFETCH(bool, right);
        open();
        choosePerson(who);
        button("Command1")->click();
        QTest::mouseClick(gapBox(gap), Qt::LeftButton);
        retype(gapBox(gap), keysFor(typed));
        QCOMPARE(gapBox(gap)->text(), typed);
        pressEnter(gapBox(gap));
        QCOMPARE(gapBox(gap)->text(), judged); // the box shows what was judged
        if (right) {
            QVERIFY(feedback.messages.isEmpty());
            QVERIFY(isLocked(gap));
            QVERIFY(gapBox((gap + 1) % GapCount)->hasFocus());
        } else {
            QCOMPARE(feedback.beeps, 1);
            QCOMPARE(feedback.messages.size(), 1);
            QCOMPARE(feedback.lastText(), shared().MsgWrong);
            QCOMPARE(feedback.messages.last().title, Title);
            QVERIFY(isOpen(gap));
            QVERIFY(gapBox(gap)->hasFocus());
        }
    }

    void picturesFollowTheGap_data()
    {
        QTest::addColumn<int>("gap");
        QTest::addColumn<QList<int>>("pictures");
        QTest::newRow("first gap: nothing before") << 0 << QList<int>{-1, 0, 1};
        QTest::newRow("gap 2, still the first picture") << 2 << QList<int>{-1, 0, 1};
        QTest::newRow("gap 3") << 3 << QList<int>{0, 1, 2};
        QTest::newRow("gap 13, a sentence of its own") << 13 << QList<int>{4, 5, 6};
        QTest::newRow("gap 20") << 20 << QList<int>{7, 8, 9};
        QTest::newRow("last gap: nothing after") << 22 << QList<int>{8, 9, -1};
    }

    void picturesFollowTheGap()
    {
        QFETCH(int, gap);
        QFETCH(QList<int>, pictures);
        open();
        QTest::mouseClick(gapBox(gap), Qt::LeftButton);
        QCOMPARE(strip(), pictures);
        // Start sends the focus to the first gap and its picture.
        button("Command1")->click();
        QCOMPARE(strip(), (QList<int>{-1, 0, 1}));
        // Moving on after a right answer brings the next gap's picture.
        answer(gap, answerOf(gap, 0));
        const int next = (gap + 1) % GapCount;
        QCOMPARE(strip()[1], journeyGaps[std::size_t(next)].picture);
    }

    void arrowsPageWithinTheStory_data()
    {
        QTest::addColumn<int>("forward");
        QTest::addColumn<int>("back");
        QTest::addColumn<QList<int>>("pictures");
        QTest::newRow("next once from the start") << 1 << 0 << QList<int>{0, 1, 2};
        QTest::newRow("previous from the start stops at 1") << 0 << 3 << QList<int>{0, 1, 2};
        QTest::newRow("next ten times stops at 9") << 10 << 0 << QList<int>{8, 9, -1};
        QTest::newRow("to the end and back stops at 1") << 10 << 10 << QList<int>{0, 1, 2};
        QTest::newRow("four on, two back") << 4 << 2 << QList<int>{1, 2, 3};
    }

    void arrowsPageWithinTheStory()
    {
        QFETCH(int, forward);
        QFETCH(int, back);
        QFETCH(QList<int>, pictures);
        open();
        clickArrow("Image5", forward);
        clickArrow("Image4", back);
        QCOMPARE(strip(), pictures);
    }

    void arrowsKeepTheirOwnPlace()
    {
        open();
        button("Command1")->click();
        clickArrow("Image5", 2);
        QCOMPARE(strip()[1], 2);
        QVERIFY(gapBox(0)->hasFocus()); // paging leaves the focus in the gap
        QTest::mouseClick(gapBox(20), Qt::LeftButton);
        QCOMPARE(strip()[1], 8);
        clickArrow("Image5");
        QCOMPARE(strip()[1], 3);

        // Closed and opened again, and by way of another window: the arrows go on from 3.
        button("Command3")->click();
        QVERIFY(!window()->isLoaded());
        open();
        QCOMPARE(strip(), (QList<int>{-1, -1, -1}));
        clickArrow("Image5");
        QCOMPARE(strip()[1], 4);
        button("Command13")->click(); // "&6"
        QVERIFY(!window()->isLoaded());
        program->windowFor(Exercise::Ex6)->control<QPushButton>(QStringLiteral("Command11"))->click(); // "&3"
        QVERIFY(window()->isLoaded());
        clickArrow("Image4");
        QCOMPARE(strip()[1], 3);
    }

    void personChangesMidRun()
    {
        open();
        button("Command1")->click();
        answer(1, QStringLiteral("kilép"));
        QVERIFY(person()->isEnabled());
        choosePerson(2); // te
        QCOMPARE(person()->currentText(), QStringLiteral("te"));
        QCOMPARE(piece(0)->text(), QStringLiteral("Laci reggel")); // until the next Start
        answer(3, QStringLiteral("felszáll"));
        QCOMPARE(feedback.lastText(), shared().MsgWrong);
        feedback.clear();
        answer(3, QStringLiteral("felszállsz"));
        QVERIFY(feedback.messages.isEmpty());
        QVERIFY(isLocked(3));
        QTest::mouseClick(gapBox(6), Qt::LeftButton);
        button("Command4")->click();
        QCOMPARE(feedback.lastText(), QStringLiteral("The correct solution is: leszállsz"));
        QCOMPARE(feedback.messages.last().style, Feedback::Exclamation);
        QVERIFY(gapBox(6)->hasFocus());
        QVERIFY(isOpen(6));

        // Start mid-run: the heading follows the person, solved gaps stay solved, nothing is reset.
        button("Command1")->click();
        QCOMPARE(piece(0)->text(), QStringLiteral("(Te) reggel"));
        QVERIFY(isLocked(1));
        QCOMPARE(gapBox(1)->text(), QStringLiteral("kilép"));
        QVERIFY(isLocked(3));
        feedback.clear();
        // Two gaps are solved: 21 more end the run.
        for (int n = 0; n < GapCount; ++n) {
            if (n != 1 && n != 3)
                answer(n, answerOf(n, 2));
        }
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
    }

    void solvedGapIsCountedOnce()
    {
        open();
        button("Command1")->click();
        solveAllBut(17, 0);
        QVERIFY(feedback.messages.isEmpty());
        for (int n : {0, 16, 18, 22}) {
            QTest::mouseClick(gapBox(n), Qt::LeftButton);
            pressEnter(gapBox(n));
            QVERIFY(gapBox(17)->hasFocus());
            QVERIFY(isLocked(n));
        }
        QVERIFY(feedback.messages.isEmpty());
        answer(17, answerOf(17, 0));
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
    }

    void restartGivesEnterBack()
    {
        open();
        choosePerson(1);
        button("Command1")->click();
        QCOMPARE(piece(0)->text(), QStringLiteral("(Én) reggel"));
        solveAllBut(-1, 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
        choosePerson(0);
        button("Command1")->click();
        QCOMPARE(button("Command1")->text(), QStringLiteral("&Restart"));
        QCOMPARE(piece(0)->text(), QStringLiteral("Laci reggel"));
        for (int n = 0; n < GapCount; ++n) {
            QCOMPARE(gapBox(n)->text(), baseOf(n)); // no gap is emptied
            QVERIFY2(isOpen(n), qPrintable(QString::number(n)));
            QCOMPARE(gapBox(n)->font().pointSizeF(), 12.0);
        }
        QVERIFY(gapBox(0)->hasFocus());
        QCOMPARE(strip(), (QList<int>{-1, 0, 1}));
        QVERIFY(button("Command2")->isDefault());
        feedback.clear();
        pressEnter(gapBox(0)); // Enter judges again: "fél nyolc" lacks its suffix
        QCOMPARE(feedback.lastText(), shared().MsgWrong);
        feedback.clear();
        solveAllBut(-1, 0);
        QCOMPARE(feedback.messages.size(), 1);
        QCOMPARE(feedback.lastText(), shared().MsgDone);
    }

    void menusOfTheWindow()
    {
        open();
        window()->window()->findChild<QAction *>(QStringLiteral("mnuHow"))->trigger();
        QCOMPARE(feedback.messages.last().style, Feedback::Information);
        QVERIFY(feedback.lastText().startsWith(
            QStringLiteral("Click the \"Start\" button and put your solution in any of the gaps. Then click the "
                           "\"Next\" button or press the \"Enter\" key. Go on.\r\n\r\nIf you want")));
        auto *help = find<QLabel>(QStringLiteral("Label3"));
        button("Command10")->click();
        QVERIFY(!help->isHidden());
        QVERIFY(help->text().startsWith(u'á'));
        QVERIFY(!help->geometry().intersects(button("Command10")->geometry()));
        window()->window()->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
        QVERIFY(program->about().isLoaded());
        program->about().Unload();
        // "&3" is this window's own: disabled, and it does nothing.
        button("Command7")->click();
        QVERIFY(window()->isLoaded());
    }
};

QTEST_MAIN(tst_b07d3)
#include "tst_b07d3.moc"
