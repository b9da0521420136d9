// The memory model against values worked out by hand from FSRS 4.5's published formulas
// and default weights.
#include "review/Fsrs.h"

#include <QTest>


class tst_Fsrs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recallFallsToNinetyPercentAfterStability()
    {
        for (const double s : {0.5, 3.7145, 40.0}) {
            QCOMPARE(Fsrs::retrievability(s, s), 0.9);
            QCOMPARE(Fsrs::interval(0.9, s), s);
        }
        QVERIFY(Fsrs::interval(0.8, 10) > 10 && Fsrs::interval(0.95, 10) < 10);
        QCOMPARE(Fsrs::retrievability(0, 5), 1.0);
    }

    void review_data()
    {
        QTest::addColumn<double>("stability");
        QTest::addColumn<double>("difficulty");
        QTest::addColumn<double>("days");
        // The answer, which gives the grade: wrong or shown Again, right after a retry Hard, right Good.
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<double>("newStability");
        QTest::addColumn<double>("newDifficulty");
        // First reviews: S0 = w[G−1], D0 = w4 − (G−3)·w5.
        QTest::newRow("first, wrong") << 0.0 << 0.0 << 0.0 << false << false << false << 0.4872 << 7.6214;
        QTest::newRow("first, after a retry") << 0.0 << 0.0 << 0.0 << true << false << true << 1.4003 << 6.3916;
        QTest::newRow("first, right") << 0.0 << 0.0 << 0.0 << true << false << false << 3.7145 << 5.1618;
        // Right when recall had fallen to 90 %: S·(e^w8·(11−D)·S^−w9·(e^(w10·0.1)−1)+1).
        QTest::newRow("right on time") << 3.7145 << 5.1618 << 3.7145 << true << false << false << 14.0950 << 5.1618;
        QTest::newRow("after a retry on time") << 3.7145 << 5.1618 << 3.7145 << true << false << true << 6.0729 << 6.0315;
        // Wrong 10 days on (R = 0.7829): w11·D^−w12·((S+1)^w13−1)·e^(w14·(1−R)); D moves by 2·w6, drawn back by w7.
        QTest::newRow("wrong 10 days on") << 3.7145 << 5.1618 << 10.0 << false << false << true << 1.7082 << 6.9012;
        QTest::newRow("right with the solution shown, the same day") << 0.4872 << 7.6214 << 0.0 << true << true << false << 0.2466 << 9.2845;
        // Wrong a month on, where the formula gives 0.83 days: forgetting never makes a memory steadier.
        QTest::newRow("wrong a month on") << 0.4872 << 7.6214 << 30.0 << false << false << true << 0.4872 << 9.2845;
    }

    void review()
    {
        QFETCH(double, stability);
        QFETCH(double, difficulty);
        QFETCH(double, days);
        QFETCH(bool, right);
        QFETCH(bool, shown);
        QFETCH(bool, retry);
        QFETCH(double, newStability);
        QFETCH(double, newDifficulty);
        const Fsrs::Memory after = Fsrs::review({stability, difficulty}, days, Fsrs::gradeOf(right, shown, retry));
        QVERIFY2(qAbs(after.stability - newStability) < 1e-3, qPrintable(QString::number(after.stability)));
        QVERIFY2(qAbs(after.difficulty - newDifficulty) < 1e-3, qPrintable(QString::number(after.difficulty)));
    }
};

QTEST_APPLESS_MAIN(tst_Fsrs)
#include "tst_fsrs.moc"
