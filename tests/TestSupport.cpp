#include "TestSupport.h"

#include "lesson/LessonSource.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTest>

void RecordingFeedback::message(QWidget *, const QString &text, Style style, const QString &title)
{
    messages.append({text, style, title});
}

bool RecordingFeedback::confirm(QWidget *, const QString &text, const QString &title)
{
    messages.append({text, Information, title});
    return answerYes;
}

double ScriptedRandom::next()
{
    if (queued.empty())
        return fallback.next();
    const double value = queued.front();
    queued.pop_front();
    return value;
}

namespace TestSupport {

void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(widget, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void retype(QWidget *lineEdit, const QString &text)
{
    auto *edit = qobject_cast<QLineEdit *>(lineEdit);
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    type(edit, text);
}

void pressEnter(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Return);
}

void withMessageBoxes(const std::function<void()> &step, const std::function<void(QMessageBox *)> &onBox)
{
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&onBox] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            onBox(box);
    });
    watcher.start();
    step();
}

const LessonModel::Lesson &lesson7()
{
    static LessonSource source;
    return source.lesson();
}

const LessonModel::Exercise &lesson7(Exercise exercise)
{
    return lesson7().exercises.at(std::size_t(indexOf(exercise)));
}

const LessonModel::SuffixDrill &drillOf(Exercise exercise)
{
    return std::get<LessonModel::SuffixDrill>(lesson7(exercise).content);
}

const LessonModel::Story &storyOf(Exercise exercise)
{
    return std::get<LessonModel::Story>(lesson7(exercise).content);
}

QString suffixAnswer(Exercise drill, const QString &cue)
{
    for (const LessonModel::WordItem &item : drillOf(drill).items) {
        if (item.cue == cue)
            return item.answer;
    }
    return {};
}

} // namespace TestSupport

QString goToCaption(Exercise exercise)
{
    return TestSupport::lesson7(exercise).caption;
}

QString exerciseCode(Exercise exercise)
{
    return TestSupport::lesson7(exercise).id;
}
