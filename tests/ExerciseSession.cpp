#include "ExerciseSession.h"

#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

void ExerciseSession::init()
{
    // The settings a test writes (the lesson chosen last, clear colours) are the test's own.
    QStandardPaths::setTestModeEnabled(true);
    feedback.clear();
    quits = 0;
    program = std::make_unique<Program>(feedback, random);
    program->quit = [this] { ++quits; };
}

void ExerciseSession::cleanup()
{
    program.reset();
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void ExerciseSession::open(Exercise exercise)
{
    current = exercise;
    program->showMainMenu(false);
    program->openFromMainMenu(exercise);
    QVERIFY(window()->isLoaded());
    window()->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window()->window()));
}

QPushButton *ExerciseSession::captioned(const QString &caption) const
{
    for (QPushButton *candidate : window()->window()->findChildren<QPushButton *>()) {
        if (candidate->text() == caption)
            return candidate;
    }
    qFatal("%s has no button %s", qPrintable(window()->name()), qPrintable(caption));
}

void ExerciseSession::expectMessage(const QString &text, Feedback::Style style) const
{
    QCOMPARE(feedback.messages.size(), 1);
    QCOMPARE(feedback.messages.last().text, text);
    QCOMPARE(feedback.messages.last().style, style);
    QCOMPARE(feedback.messages.last().title, window()->window()->windowTitle());
}

void ExerciseSession::expectWrong() const
{
    QCOMPARE(feedback.beeps, 1);
    expectMessage(program->shared().MsgWrong);
}

void StorySession::checkGapTable() const
{
    for (int n = 0; n < gapCount(); ++n) {
        const QString kind = gapItem(n).kind, base = baseOf(n);
        QVERIFY2(kind == u"al" || kind == u"h" || kind == u"t", qPrintable(kind));
        for (int who = 0; who < int(lessonStory().persons.size()); ++who) {
            // An empty offer: the learner writes the whole word.
            for (const QString &text : base.isEmpty() ? QStringList{answerOf(n, who)} : QStringList{base, answerOf(n, who)}) {
                QVERIFY2(!text.isEmpty() && text.trimmed() == text, qPrintable(QStringLiteral("gap %1").arg(n)));
                QCOMPARE(text.normalized(QString::NormalizationForm_C), text);
                QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[õûÕÛ]|  "))));
            }
            if (kind != u"al")
                QCOMPARE(answerOf(n, who), answerOf(n, 0));
        }
        QString stem = base;
        if (stem.endsWith(u'a') || stem.endsWith(u'e'))
            stem.back() = stem.back() == u'a' ? u'á' : u'é';
        const QString phrase = answerOf(n, 0);
        if (kind != u"al")
            QVERIFY2((phrase.startsWith(base) || phrase.startsWith(stem)) && phrase.size() > base.size(),
                     qPrintable(phrase));
    }
}

void StorySession::choosePerson(int index)
{
    QWidget *before = QApplication::focusWidget();
    QComboBox *field = person();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(field, Qt::Key_Down);
    if (before)
        before->setFocus();
}

void StorySession::answer(int gap, const QString &text)
{
    QLineEdit *box = gapBox(gap);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->hasFocus());
    if (!box->text().isEmpty() && text.startsWith(box->text())) {
        QTest::keyClick(box, Qt::Key_End);
        TestSupport::type(box, text.mid(box->text().size()));
    } else {
        TestSupport::retype(box, text);
    }
    QCOMPARE(box->text(), text);
    TestSupport::pressEnter(box);
}

void StorySession::solveAllBut(int left, int who)
{
    for (int n = 0; n < gapCount(); ++n) {
        if (n != left)
            answer(n, answerOf(n, who));
    }
}

bool StorySession::looks(int gap, bool locked) const
{
    const std::optional<Bgr> colour = program->shared().KindColour(gapItem(gap).kind, locked);
    QLineEdit *box = gapBox(gap);
    return colour && box->isReadOnly() == locked && Colour::backColor(box) == *colour &&
           Colour::foreColor(box) == (locked ? Colour::White : Colour::Black) && box->font().pointSizeF() == 12.0;
}

QList<QLineEdit *> StorySession::storyBoxes() const
{
    QList<QLineEdit *> boxes;
    for (QLineEdit *box : window()->window()->findChildren<QLineEdit *>()) {
        if (box->objectName().startsWith(u"Text"))
            boxes << box;
    }
    std::sort(boxes.begin(), boxes.end(),
              [](QLineEdit *a, QLineEdit *b) { return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x()); });
    return boxes;
}

QString StorySession::story() const
{
    QString text;
    for (QLineEdit *box : storyBoxes())
        text += box->text() + u' ';
    text.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
    text.replace(QStringLiteral(" ."), QStringLiteral("."));
    text.replace(QStringLiteral(" ,"), QStringLiteral(","));
    return text.trimmed();
}
