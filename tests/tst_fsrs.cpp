// The memory model against values worked out by hand from FSRS 4.5's published formulas
// and default weights.
#include "TestSupport.h"
#include "memory/Fsrs.h"

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

    // The rows of memory/fsrs-cases.csv, which the class server's test runs through its SQL copy too.
    void review_data()
    {
        QCOMPARE(TestSupport::fsrsCaseRows(QStringLiteral(BIMBALA_FSRS_CASES)), 9);
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
