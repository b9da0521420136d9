// Every text and background pair the program shows, in every window and in the
// states a learner brings about: in the designed colours they are as designed;
// with Clear colours on, every pair reaches 4.5:1.
#include "ExerciseSession.h"

#include "app/sobre.h"
#include "progress/ProgressWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QStandardPaths>

namespace {

Bgr bgr(const QColor &colour)
{
    return Bgr(colour.red()) | Bgr(colour.green()) << 8 | Bgr(colour.blue()) << 16;
}

// The text colour and the ground a control's text is drawn on.
std::pair<Bgr, Bgr> shownPair(const QWidget *control)
{
    const QPalette &palette = control->palette();
    if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QPlainTextEdit *>(control))
        return {bgr(palette.color(QPalette::Text)), bgr(palette.color(QPalette::Base))};
    if (qobject_cast<const QAbstractButton *>(control))
        return {bgr(palette.color(QPalette::ButtonText)), bgr(palette.color(QPalette::Button))};
    return {bgr(palette.color(QPalette::WindowText)), bgr(palette.color(QPalette::Window))};
}

bool showsText(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control))
        return !label->text().trimmed().isEmpty();
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return !edit->text().trimmed().isEmpty();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return !button->text().trimmed().isEmpty();
    return qobject_cast<const QPlainTextEdit *>(control) != nullptr;
}

} // namespace

class tst_Contrast : public ExerciseSession
{
    Q_OBJECT

private:
    struct Pair
    {
        QString where;
        Bgr fore;
        Bgr back;
        bool designed; // painted as the numbers stored on the control say
    };
    QList<Pair> pairs;

    void collect(const QWidget *window)
    {
        for (const QWidget *control : window->findChildren<QWidget *>()) {
            // A disabled control is greyed on purpose: readable-text rules leave it out.
            if (!control->isVisibleTo(window) || !control->isEnabled() || !showsText(control))
                continue;
            const auto [fore, back] = shownPair(control);
            const QVariant storedBack = control->property("BackColor");
            const QVariant storedFore = control->property("ForeColor");
            const bool designed = (!storedBack.isValid() || storedBack.toUInt() == back) &&
                                  (!storedFore.isValid() || storedFore.toUInt() == fore);
            pairs.append({window->objectName() + u'/' + control->objectName(), fore, back, designed});
        }
    }

    // A learner's way through every window: runs started, items answered with the
    // solution's help (so gaps lock in their kinds' colours), the key help shown.
    void walk()
    {
        program->start();
        collect(program->about().window());
        QTRY_VERIFY_WITH_TIMEOUT(program->mainMenu().isLoaded(), 5000);
        collect(program->mainMenu().window());
        collect(program->background().window());
        for (Exercise exercise : Lesson7::All) {
            open(exercise);
            startButton()->click();
            charButton()->click();
            for (int item = 0; item < 8; ++item) {
                auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
                if (!box || !solutionButton()->isEnabled())
                    break;
                feedback.clear();
                solutionButton()->click();
                const QString answer = feedback.lastText().section(u':', 1).trimmed();
                box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
                if (!box)
                    break;
                box->setText(answer);
                TestSupport::pressEnter(box);
            }
            collect(window()->window());
            closeButton()->click();
        }
        program->showAbout();
        collect(program->about().window());
        program->showProgress();
        collect(program->progress().window());
        program->end();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The learner's own settings stay out of it, and theirs stay untouched.
        QStandardPaths::setTestModeEnabled(true);
    }

    void everyPair_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::newRow("designed colours") << false;
        QTest::newRow("clear colours") << true;
    }

    void everyPair()
    {
        QFETCH(bool, clear);
        pairs.clear();
        SetClearColours(clear);
        walk();
        QVERIFY(pairs.size() > 100);
        QStringList unreadable;
        for (const Pair &pair : pairs) {
            const double ratio = Colour::contrast(pair.fore, pair.back);
            if (ratio < Colour::ReadableContrast)
                unreadable << QStringLiteral("%1 %2:1").arg(pair.where).arg(ratio, 0, 'f', 1);
            if (!clear)
                QVERIFY2(pair.designed, qPrintable(pair.where));
        }
        SetClearColours(false);
        if (clear) {
            QVERIFY2(unreadable.isEmpty(), qPrintable(unreadable.join(u'\n')));
        } else {
            // As designed, white on the orange and light-brown locked gaps is hard to read.
            qInfo("designed pairs under %.1f:1: %s", Colour::ReadableContrast, qPrintable(unreadable.join(QStringLiteral(", "))));
            QVERIFY(unreadable.filter(QStringLiteral("/Text1_")).size() >= 2); // locked gaps
        }
    }

    // Clear colours ticked and unticked in an open window, as the learner does it from
    // the Options menu, under a dark desktop palette (light button text, unreadable on
    // the white go-to buttons): every control reads at once, then shows its designed
    // colours again at once.
    void clearColoursToggledInOpenWindow_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::newRow("b07d1") << Lesson7::Ex1a;
        QTest::newRow("b07d3") << Lesson7::Ex3;
        QTest::newRow("b07d4") << Lesson7::Ex4;
        QTest::newRow("b07d6") << Lesson7::Ex6;
    }

    void clearColoursToggledInOpenWindow()
    {
        QFETCH(Exercise, exercise);
        const QPalette desktop = QApplication::palette();
        const auto restore = qScopeGuard([&desktop] {
            SetClearColours(false);
            QApplication::setPalette(desktop);
        });
        SetClearColours(false);
        QApplication::setPalette(QPalette(QColor(0x35, 0x35, 0x35), QColor(0x20, 0x20, 0x20))); // light text
        open(exercise);
        const QWidget *shown = window()->window();
        const auto painted = [shown] {
            QMap<QString, std::pair<Bgr, Bgr>> pairs;
            for (const QWidget *control : shown->findChildren<QWidget *>()) {
                if (showsText(control))
                    pairs.insert(control->objectName(), shownPair(control));
            }
            return pairs;
        };
        const auto designed = painted();
        const QString other = goTo(exercise == Lesson7::Ex1a ? Lesson7::Ex1b : Lesson7::Ex1a)->objectName();
        QVERIFY(Colour::contrast(designed[other].first, designed[other].second) < Colour::ReadableContrast);

        auto *item = shown->findChild<QAction *>(QStringLiteral("mnuClearColours"));
        item->trigger();
        QVERIFY(item->isChecked());
        const auto clear = painted();
        for (const QString &name : designed.keys()) {
            const auto [fore, back] = clear.value(name);
            QCOMPARE(back, designed[name].second);
            // A disabled control is greyed on purpose.
            QVERIFY2(Colour::contrast(fore, back) >= Colour::ReadableContrast ||
                         !shown->findChild<QWidget *>(name)->isEnabled(), qPrintable(name));
        }

        item->trigger();
        QVERIFY(!item->isChecked());
        QCOMPARE(painted(), designed);
        closeButton()->click();
    }

    // Clear colours keep every ground as designed and change only the text: dark
    // text to a darker shade of its own hue, light text to black (or white).
    void clearText_data()
    {
        QTest::addColumn<Bgr>("fore");
        QTest::addColumn<Bgr>("back");
        QTest::addColumn<Bgr>("clear"); // the text painted; 0xFFFFFFFF: a darker shade of `fore`
        QTest::newRow("white on orange (t)") << Colour::White << Bgr(0x10BBFF) << Colour::Black;
        QTest::newRow("white on light brown (h)") << Colour::White << Bgr(0x7799CC) << Colour::Black;
        QTest::newRow("white on red (al)") << Colour::White << Bgr(0x0000FF) << Colour::Black;
        QTest::newRow("white on grey") << Colour::White << Bgr(0x808080) << Colour::Black;
        QTest::newRow("teal on silver") << Bgr(0x808000) << Bgr(0xC0C0C0) << Bgr(0xFFFFFFFF);
        QTest::newRow("grey on dark grey") << Bgr(0x303030) << Bgr(0x505050) << Colour::White;
        QTest::newRow("black on white stays") << Colour::Black << Colour::White << Colour::Black;
    }

    void clearText()
    {
        QFETCH(Bgr, fore);
        QFETCH(Bgr, back);
        QFETCH(Bgr, clear);
        QCOMPARE(Colour::paintedText(fore, back), fore);
        SetClearColours(true);
        const Bgr clearFore = Colour::paintedText(fore, back);
        SetClearColours(false);
        QVERIFY(Colour::contrast(clearFore, back) >= Colour::ReadableContrast);
        if (clear != 0xFFFFFFFF) {
            QCOMPARE(clearFore, clear);
        } else {
            const QColor designed = Colour::toQColor(fore), shade = Colour::toQColor(clearFore);
            QVERIFY(std::abs(designed.hsvHue() - shade.hsvHue()) <= 6);
            QVERIFY(shade.value() < designed.value());
        }
    }
};

QTEST_MAIN(tst_Contrast)
#include "tst_contrast.moc"
