// The memory model against values worked out by hand from FSRS 4.5's published formulas
// and default weights.
#include "memory/Fsrs.h"

#include <QFile>
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
        QTest::addColumn<double>("stability");
        QTest::addColumn<double>("difficulty");
        QTest::addColumn<double>("days");
        // The answer, which gives the grade: wrong or shown Again, right after a retry Hard, right Good.
        QTest::addColumn<bool>("right");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("retry");
        QTest::addColumn<double>("newStability");
        QTest::addColumn<double>("newDifficulty");
        QFile cases(QStringLiteral(BIMBALA_FSRS_CASES));
        QVERIFY2(cases.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(cases.fileName()));
        int rows = 0;
        while (!cases.atEnd()) {
            const QString line = QString::fromUtf8(cases.readLine()).trimmed();
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const QStringList f = line.split(u',');
            QCOMPARE(f.size(), 9);
            QTest::newRow(qPrintable(f[0])) << f[1].toDouble() << f[2].toDouble() << f[3].toDouble() << (f[4] == u"1")
                                            << (f[5] == u"1") << (f[6] == u"1") << f[7].toDouble() << f[8].toDouble();
            ++rows;
        }
        QCOMPARE(rows, 9);
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
