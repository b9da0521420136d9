// Every window as a screen reader meets it: each control that can take the focus
// has a name to say, gaps say which gap they are and what they hold, Tab goes in
// reading order, and message boxes are announced.
#include "ExerciseSession.h"

#include "app/sobre.h"
#include "progress/ProgressWindow.h"

#include <QAccessible>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

namespace {

QList<QWidget *> focusable(QWidget *window)
{
    QList<QWidget *> controls;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if ((control->focusPolicy() & Qt::TabFocus) && control->isVisibleTo(window) && control->isEnabled())
            controls << control;
    }
    return controls;
}

QString describe(const QWidget *control)
{
    return QString::fromLatin1(control->metaObject()->className()) + u' ' + control->objectName();
}

// The order Tab visits the window's focusable controls in, from the first of them.
QList<QWidget *> tabOrder(QWidget *window)
{
    const QList<QWidget *> controls = focusable(window);
    QList<QWidget *> order;
    if (controls.isEmpty())
        return order;
    QWidget *first = *std::min_element(controls.begin(), controls.end(), [window](QWidget *a, QWidget *b) {
        const QPoint pa = a->mapTo(window, QPoint()), pb = b->mapTo(window, QPoint());
        return std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x());
    });
    for (QWidget *control = first; order.size() < controls.size();) {
        order << control;
        do
            control = control->nextInFocusChain();
        while (!controls.contains(control) && control != first);
        if (control == first)
            break;
    }
    return order;
}

} // namespace

class tst_Accessibility : public ExerciseSession
{
    Q_OBJECT

private:
    void checkWindow(QWidget *window)
    {
        for (QWidget *control : focusable(window)) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible, qPrintable(describe(control)));
            QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(window->objectName() + QStringLiteral(": unnamed ") + describe(control)));
        }
        // Reading order: row by row from the top, each row from the left; the story
        // pieces that take the focus come after the gaps, as the lesson has them.
        QList<QWidget *> order = tabOrder(window);
        const auto isPiece = [](const QWidget *control) { return control->objectName().startsWith(u"Text2_"); };
        QList<QWidget *> pieces;
        std::copy_if(order.begin(), order.end(), std::back_inserter(pieces), isPiece);
        if (!pieces.isEmpty()) {
            const auto lastGap = std::find_if(order.rbegin(), order.rend(), [](const QWidget *control) {
                return control->objectName().startsWith(u"Text1_");
            });
            QVERIFY(lastGap != order.rend());
            QCOMPARE(order.mid(order.indexOf(*lastGap) + 1, pieces.size()), pieces);
        }
        order.removeIf(isPiece);
        QCOMPARE(order.size() + pieces.size(), focusable(window).size());
        for (int i = 1; i < order.size(); ++i) {
            const QRect before(order[i - 1]->mapTo(window, QPoint()), order[i - 1]->size());
            const QRect now(order[i]->mapTo(window, QPoint()), order[i]->size());
            const bool sameRow = now.top() < before.bottom() && before.top() < now.bottom();
            const bool readingOrder = sameRow ? now.left() >= before.left() : now.top() >= before.top();
            QVERIFY2(readingOrder, qPrintable(window->objectName() + QStringLiteral(": Tab goes from ") +
                                              describe(order[i - 1]) + QStringLiteral(" back to ") + describe(order[i])));
        }
    }

    // Alt and a letter reaches one control only (the windows of the record and the class, whose
    // captions are ours).
    void checkAccessKeys(QWidget *window)
    {
        QMap<QChar, QString> taken;
        for (QWidget *control : window->findChildren<QWidget *>()) {
            const QString caption = control->property("text").toString();
            const qsizetype amp = caption.indexOf(u'&');
            if (!control->isVisibleTo(window) || amp < 0 || amp + 1 >= caption.size())
                continue;
            const QChar key = caption.at(amp + 1).toLower();
            QVERIFY2(!taken.contains(key), qPrintable(QStringLiteral("%1 and %2 share Alt+%3").arg(taken.value(key), caption, key)));
            taken.insert(key, caption);
        }
    }

private Q_SLOTS:
    void everyWindow_data()
    {
        QTest::addColumn<Exercise>("exercise");
        for (Exercise exercise : Lesson7::All)
            QTest::addRow("%s", qPrintable(exerciseCode(exercise))) << exercise;
    }

    void everyWindow()
    {
        QFETCH(Exercise, exercise);
        open(exercise);
        checkWindow(window()->window());
        startButton()->click();
        checkWindow(window()->window());
        program->showMainMenu(false);
        checkWindow(program->mainMenu().window());
        program->showAbout();
        checkWindow(program->about().window());
        program->showProgress();
        checkWindow(program->progress().window());
        checkAccessKeys(program->progress().window());
        program->progress().control<QPushButton>(QStringLiteral("class"))->click();
        QWidget *classWindow = QApplication::activeWindow();
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == u"class" && top->isVisible())
                classWindow = top;
        checkWindow(classWindow);
        checkAccessKeys(classWindow);
        program->progress().Unload();
    }

    // A gap says which it is and what it holds; a picture says what it shows.
    void gapsAndPictures()
    {
        open(Lesson7::Ex3);
        auto *gap = find<QLineEdit>(QStringLiteral("Text1_2"));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(gap);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Gap 3 of 23"));
        QCOMPARE(accessible->text(QAccessible::Value), gap->text());
        startButton()->click();
        auto *picture = find<QLabel>(QStringLiteral("Image2"));
        const QString said = QAccessible::queryAccessibleInterface(picture)->text(QAccessible::Name);
        QVERIFY2(said.size() > QStringLiteral("Current picture: ").size(), qPrintable(said));
    }

    // A real message box comes up as a dialog that takes the focus and says its text,
    // which is what a screen reader announces.
    void messageBoxesSayTheirText()
    {
        MessageBoxFeedback real;
        const QString text = program->shared().MsgWrong;
        QString said;
        QAccessible::Role role = QAccessible::NoRole;
        TestSupport::withMessageBoxes(
            [&] { real.message(nullptr, text, Feedback::Exclamation, QStringLiteral("Bimbala!")); },
            [&](QMessageBox *box) {
                QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
                role = accessible->role();
                for (int i = 0; i < accessible->childCount(); ++i)
                    said += accessible->child(i)->text(QAccessible::Name) + u'\n';
                box->button(QMessageBox::Ok)->click();
            });
        QVERIFY(role == QAccessible::Dialog || role == QAccessible::AlertMessage);
        QVERIFY2(said.contains(text), qPrintable(said));
    }
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
