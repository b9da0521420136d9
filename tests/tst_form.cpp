// The window lifecycle on its own: a window is never destroyed under its own
// message box or under the handler that opened it.
#include "common/Form.h"

#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace {

class TinyForm final : public Form
{
public:
    TinyForm() : Form(QStringLiteral("tiny")) {}
    int unloads = 0;

    // A modal step as a message box is one: an event loop of its own, in which
    // `whileOpen` runs from a timer, as a learner's or the program's event would.
    void box(const std::function<void()> &whileOpen)
    {
        runModal([&] {
            QEventLoop loop;
            QTimer::singleShot(0, &loop, [&] {
                whileOpen();
                // Whatever the request queued has its turn before the box closes.
                QTimer::singleShot(0, &loop, &QEventLoop::quit);
            });
            loop.exec();
            loadedWhenBoxCloses = loadedWhenBoxCloses && isLoaded();
        });
    }
    bool loadedWhenBoxCloses = true;

private:
    void build(FormWidget &) override {}
    void Form_Unload() override { ++unloads; }
};

} // namespace

class tst_Form : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An unload asked for under the window's box waits for the box and for the
    // handler that opened it, then comes at the next turn of the event loop, once.
    void unloadWaitsForBoxAndHandler()
    {
        TinyForm form;
        form.Show();
        const auto handler = [&form] {
            form.box([&form] { form.Unload(); });
            // The handler goes on with its window after the box.
            QVERIFY(form.isLoaded());
        };
        handler();
        QVERIFY(form.loadedWhenBoxCloses);
        QVERIFY(form.isLoaded());
        QCOMPARE(form.unloads, 0);
        QTRY_VERIFY(!form.isLoaded());
        QCOMPARE(form.unloads, 1);
    }

    // With no box open an action runs at once; under a box it waits, in the order
    // asked, for the box and for a second box the same handler shows after it.
    void whenNoModalOpen()
    {
        TinyForm form;
        form.Show();
        QStringList done;
        form.whenNoModalOpen([&] { done << QStringLiteral("now"); });
        QCOMPARE(done, QStringList{QStringLiteral("now")});
        form.box([&] {
            form.whenNoModalOpen([&] { done << QStringLiteral("first"); });
            form.whenNoModalOpen([&] { done << QStringLiteral("second"); });
        });
        qsizetype doneInSecondBox = -1;
        form.box([&] { doneInSecondBox = done.size(); });
        QCOMPARE(doneInSecondBox, 1);
        QCOMPARE(done.size(), 1);
        QTRY_COMPARE(done, (QStringList{QStringLiteral("now"), QStringLiteral("first"), QStringLiteral("second")}));
        form.Unload();
    }
};

QTEST_MAIN(tst_Form)
#include "tst_form.moc"
