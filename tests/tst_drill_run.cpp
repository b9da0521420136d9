#include "TestSupport.h"

#include "exercises/drill/DrillRun.h"

#include <QTest>

#include <numeric>
#include <set>

class tst_DrillRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every row of the run comes up exactly once when each is answered right at
    // the first try, then the draw says the run is over.
    void asksEveryRowOnce_data()
    {
        QTest::addColumn<std::vector<int>>("rows");
        QTest::newRow("a whole range") << std::vector<int>{51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62};
        QTest::newRow("scattered rows, as the mistakes") << std::vector<int>{40, 3, 17, 9};
        QTest::newRow("a single row") << std::vector<int>{7};
    }

    void asksEveryRowOnce()
    {
        QFETCH(std::vector<int>, rows);
        ScriptedRandom random(11);
        DrillRun run(DrillRun::AfterRetry::KeepsItemOpen);
        run.begin(rows);
        std::multiset<int> asked;
        while (const std::optional<int> row = run.drawNext(random)) {
            asked.insert(*row);
            QVERIFY(run.isOpen(*row));
            QVERIFY(run.answeredRight());
            QVERIFY(!run.isOpen(*row));
            QVERIFY(run.counted() <= run.length());
            QVERIFY(asked.size() <= rows.size());
        }
        QCOMPARE(asked, std::multiset<int>(rows.begin(), rows.end()));
        QCOMPARE(run.counted(), int(rows.size()));
        QCOMPARE(run.drawn(), int(rows.size()));
    }

    // Over a whole range the draw is floor(n * r + first), as the windows were designed.
    void drawsAsDesigned_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("row");
        QTest::newRow("0 gives the first row") << 0.0 << 51;
        QTest::newRow("0.5 the middle") << 0.5 << 81;
        QTest::newRow("just below 1 the last") << std::nextafter(1.0, 0.0) << 110;
    }

    void drawsAsDesigned()
    {
        QFETCH(double, r);
        QFETCH(int, row);
        ScriptedRandom random;
        random.script({r});
        DrillRun run(DrillRun::AfterRetry::ClosesItem);
        std::vector<int> rows(60);
        std::iota(rows.begin(), rows.end(), 51);
        run.begin(rows);
        QCOMPARE(run.drawNext(random), std::optional<int>(row));
        QCOMPARE(run.current(), row);
    }

    // A right answer after a wrong try: the suffix drill keeps the item for a first-try
    // answer later, the sentence exercises close it. Marks belong to the item on show.
    void rightAfterAWrongTry_data()
    {
        QTest::addColumn<DrillRun::AfterRetry>("afterRetry");
        QTest::addColumn<bool>("counted");
        QTest::newRow("suffix drill") << DrillRun::AfterRetry::KeepsItemOpen << false;
        QTest::newRow("sentence exercises") << DrillRun::AfterRetry::ClosesItem << true;
    }

    void rightAfterAWrongTry()
    {
        QFETCH(DrillRun::AfterRetry, afterRetry);
        QFETCH(bool, counted);
        ScriptedRandom random;
        random.script({0.0, 0.0});
        DrillRun run(afterRetry);
        run.begin({0, 1});
        QCOMPARE(run.drawNext(random), std::optional<int>(0));
        run.markWrong();
        run.markSolutionShown();
        QVERIFY(run.retryMarked() && run.solutionShown());
        QCOMPARE(run.answeredRight(), counted);
        QCOMPARE(run.counted(), counted ? 1 : 0);
        QCOMPARE(run.isOpen(0), !counted);
        QVERIFY(!run.retryMarked());
        QCOMPARE(run.answeredRight(), !counted); // the same item once more: counted at most once
        QCOMPARE(run.counted(), 1);
        run.drawNext(random);
        QVERIFY(!run.retryMarked() && !run.solutionShown());
        run.begin({0, 1});
        QCOMPARE(run.counted() + run.drawn(), 0);
    }

    void noRunAsksNothing()
    {
        ScriptedRandom random;
        DrillRun run(DrillRun::AfterRetry::KeepsItemOpen);
        QVERIFY(!run.running());
        QCOMPARE(run.drawNext(random), std::nullopt);
        QVERIFY(!run.answeredRight());
        run.begin({3, 4, 5});
        run.clear();
        QVERIFY(!run.running() && run.length() == 0);
    }
};

QTEST_GUILESS_MAIN(tst_DrillRun)
#include "tst_drill_run.moc"
