#include "common/Module1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_Module1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placeholder() { QVERIFY(true); }
};

QTEST_MAIN(tst_Module1)
#include "tst_module1.moc"
