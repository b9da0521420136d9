#include "ExerciseSession.h"


#include <QToolButton>

using TestSupport::pressEnter;

// Exercise 3 runs on the story window that tst_b07d6 tests; here only what it does
// differently: its story and headings, blank collapsing, "kilépnek", the picture
// strip and its arrows, and Enter dropped once the story is accomplished.
class tst_b07d3 : public StorySession
{
    Q_OBJECT

public:
    tst_b07d3() : StorySession(Lesson7::Ex3, QStringLiteral("Combo1")) {}

private:
    void clickArrow(const char *name, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(find<QToolButton>(name), Qt::LeftButton);
    }

    // The picture a frame shows, as read out to the learner: -1 for an empty frame,
    // -2 for a frame whose picture and description do not go together.
    int pictureIn(const char *name) const
    {
        QLabel *frame = find<QLabel>(name);
        const QString scene = frame->accessibleDescription();
        int shown = -1;
        for (int n = 0; n < int(lessonStory().pictures.size()); ++n)
            shown = lessonStory().pictures[std::size_t(n)].scene == scene ? n : shown;
        return (shown < 0) == scene.isEmpty() && frame->pixmap().isNull() == (shown < 0) ? shown : -2;
    }
    QList<int> strip() const { return {pictureIn("Image1"), pictureIn("Image2"), pictureIn("Image3")}; }

private Q_SLOTS:
    void tableRelations()
    {
        checkGapTable();
        int lastPicture = 0;
        for (int n = 0; n < gapCount(); ++n) {
            if (gapItem(n).kind == u"al") {
                // Laci's verb is the dictionary form on show; "én" ends in -k, "te" in -sz.
                QCOMPARE(answerOf(n, 0), baseOf(n));
                QVERIFY2(answerOf(n, 1).endsWith(u'k'), qPrintable(answerOf(n, 1)));
                QVERIFY2(answerOf(n, 2).endsWith(QStringLiteral("sz")), qPrintable(answerOf(n, 2)));
            }
            // The pictures follow the story: from the first, one step at most per gap, to the last.
            QVERIFY(gapItem(n).picture == lastPicture || gapItem(n).picture == lastPicture + 1);
            lastPicture = gapItem(n).picture;
        }
        QCOMPARE(gapItem(0).picture, 0);
        QCOMPARE(lastPicture, int(lessonStory().pictures.size()) - 1);
        for (const LessonModel::StoryPicture &picture : lessonStory().pictures)
            QVERIFY(!picture.scene.isEmpty());
    }

    void piecesAreTextOutsideTheTabOrder()
    {
        open();
        QCOMPARE(strip(), (QList<int>{-1, -1, -1}));
        for (QLineEdit *box : window()->window()->findChildren<QLineEdit *>()) {
            if (box->objectName().startsWith(u"Text2_"))
                QVERIFY(box->isReadOnly() && box->focusPolicy() == Qt::NoFocus);
        }
        // Every gap offers its base word, and Tab walks the gaps only.
        gapBox(0)->setFocus();
        for (int n = 1; n < gapCount(); ++n) {
            QCOMPARE(gapBox(n)->text(), baseOf(n));
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
        startButton()->click();
        QVERIFY(nextButton()->isDefault());
        // From the end of the story backwards; the 23rd right answer accomplishes it.
        for (int n = gapCount() - 1; n >= 0; --n) {
            answer(n, answerOf(n, who));
            QVERIFY2(isLocked(n), qPrintable(QString::number(n)));
            if (n > 0)
                QVERIFY2(feedback.messages.isEmpty(), qPrintable(feedback.lastText()));
        }
        QCOMPARE(feedback.beeps, 0);
        expectMessage(program->shared().MsgDone);
        QCOMPARE(story(), told);
        QVERIFY(person()->isEnabled());
        // Once accomplished, Enter clicks nothing.
        QVERIFY(!nextButton()->isDefault());
        pressEnter(gapBox(0));
        QCOMPARE(feedback.messages.size(), 1);

        // Restart, for the next person, gives Enter back, the heading and the pictures of the start.
        const int next = (who + 1) % 3;
        choosePerson(next);
        startButton()->click();
        const QStringList openings{QStringLiteral("Laci reggel"), QStringLiteral("(Én) reggel"), QStringLiteral("(Te) reggel")};
        QCOMPARE(piece(0)->text(), openings[next]);
        QCOMPARE(gapBox(0)->text(), baseOf(0)); // no gap is emptied
        QCOMPARE(strip(), (QList<int>{-1, 0, 1}));
        QVERIFY(nextButton()->isDefault());
        feedback.clear();
        pressEnter(gapBox(0)); // Enter judges again: "fél nyolc" lacks its suffix
        expectWrong();
    }

    void judgesAfterCollapsingBlanks_data()
    {
        QTest::addColumn<int>("who");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("judged");
        QTest::addColumn<bool>("right");
        QTest::newRow("kilép, blanks around") << 0 << 1 << " kilép " << " kilép " << true;
        QTest::newRow("kilépnek for Laci") << 0 << 1 << "kilépnek" << "kilépnek" << true;
        QTest::newRow("kilépnek, blank after") << 0 << 1 << "kilépnek " << "kilépnek " << false;
        QTest::newRow("kilépnek, blanks before") << 0 << 1 << "   kilépnek" << " kilépnek" << false;
        QTest::newRow("kilépnek for én") << 1 << 1 << "kilépnek" << "kilépnek" << false;
        QTest::newRow("kilépnek elsewhere") << 0 << 6 << "kilépnek" << "kilépnek" << false;
        QTest::newRow("double blank inside") << 0 << 2 << "a  házból" << "a házból" << true;
        QTest::newRow("blank runs everywhere") << 2 << 22 << "  a   harmadik    emeletre  "
                                               << " a harmadik emeletre " << true;
        QTest::newRow("collapsed, still wrong") << 0 << 9 << "az  ut cán" << "az ut cán" << false;
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
        startButton()->click();
        answer(gap, typed);
        QCOMPARE(gapBox(gap)->text(), judged); // the box shows what was judged
        QCOMPARE(isLocked(gap), right);
        if (!right)
            expectWrong();
        else
            QVERIFY(feedback.messages.isEmpty());
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
        startButton()->click();
        QCOMPARE(strip(), (QList<int>{-1, 0, 1}));
        // Moving on after a right answer brings the next gap's picture.
        answer(gap, answerOf(gap, 0));
        QCOMPARE(strip()[1], gapItem((gap + 1) % gapCount()).picture);
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
        startButton()->click();
        clickArrow("Image5", 2);
        QCOMPARE(strip()[1], 2);
        QVERIFY(gapBox(0)->hasFocus()); // paging leaves the focus in the gap
        QTest::mouseClick(gapBox(20), Qt::LeftButton);
        QCOMPARE(strip()[1], 8);
        clickArrow("Image5");
        QCOMPARE(strip()[1], 3);

        // Closed and opened again, and by way of another window: the arrows go on from 3.
        closeButton()->click();
        QVERIFY(!window()->isLoaded());
        open();
        QCOMPARE(strip(), (QList<int>{-1, -1, -1}));
        clickArrow("Image5");
        QCOMPARE(strip()[1], 4);
        goTo(Lesson7::Ex6)->click();
        QVERIFY(!window()->isLoaded());
        program->windowFor(Lesson7::Ex6)->goToButton(Lesson7::Ex3)->click();
        QVERIFY(window()->isLoaded());
        clickArrow("Image4");
        QCOMPARE(strip()[1], 3);
    }

    void personChangesMidRun()
    {
        open();
        startButton()->click();
        answer(1, QStringLiteral("kilép"));
        QVERIFY(person()->isEnabled());
        choosePerson(2); // te
        QCOMPARE(person()->currentText(), QStringLiteral("te"));
        QCOMPARE(piece(0)->text(), QStringLiteral("Laci reggel")); // until the next Start
        answer(3, QStringLiteral("felszáll"));
        expectWrong();
        feedback.clear();
        answer(3, QStringLiteral("felszállsz"));
        QVERIFY(feedback.messages.isEmpty());
        QTest::mouseClick(gapBox(6), Qt::LeftButton);
        solutionButton()->click();
        expectMessage(QStringLiteral("The correct solution is: leszállsz"));

        // Start mid-run: the heading follows the person, solved gaps stay solved, nothing is reset.
        startButton()->click();
        QCOMPARE(piece(0)->text(), QStringLiteral("(Te) reggel"));
        QVERIFY(isLocked(1) && isLocked(3));
        QCOMPARE(gapBox(1)->text(), QStringLiteral("kilép"));
        feedback.clear();
        // Two gaps are solved: 21 more end the run.
        for (int n = 0; n < gapCount(); ++n) {
            if (n != 1 && n != 3)
                answer(n, answerOf(n, 2));
        }
        expectMessage(program->shared().MsgDone);
    }
};

QTEST_MAIN(tst_b07d3)
#include "tst_b07d3.moc"
