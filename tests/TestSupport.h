#pragma once

#include "common/Feedback.h"
#include "common/RandomSource.h"
#include "exercises/frame/Exercise.h"
#include "lesson/Lesson.h"
#include "common/ProgressRecord.h"
#include "record/RecordTypes.h"

#include <QList>
#include <QString>

#include <array>
#include <deque>
#include <functional>

class QMessageBox;
class QWidget;
class Record;

// Keeps every message box and beep instead of showing them.
class RecordingFeedback final : public Feedback
{
public:
    struct Message
    {
        QString text;
        Style style;
        QString title;
    };

    void message(QWidget *parent, const QString &text, Style style, const QString &title) override;
    void beep() override { ++beeps; }
    // Answers as scripted, and keeps the question among the messages.
    bool confirm(QWidget *parent, const QString &text, const QString &title) override;
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return fileToSave;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return fileToOpen;
    }
    QString password(QWidget *, const QString &, const QString &question) override
    {
        messages.append({question, Information, {}});
        return passwordToGive;
    }

    Unsaved unsavedChanges(QWidget *, const QString &text, const QString &title) override
    {
        messages.append({text, Exclamation, title});
        return unsavedAnswer;
    }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }
    void clear()
    {
        messages.clear();
        beeps = 0;
    }

    QList<Message> messages;
    int beeps = 0;
    bool answerYes = false;
    QString fileToSave;
    QString fileToOpen;
    QString passwordToGive;
    Unsaved unsavedAnswer = Unsaved::Cancel;
};

// Plays the given values first, then seeded pseudo-random ones.
class ScriptedRandom final : public RandomSource
{
public:
    explicit ScriptedRandom(unsigned seed = 7) : fallback(seed) {}
    void script(std::initializer_list<double> values) { queued.insert(queued.end(), values); }
    double next() override;

private:
    std::deque<double> queued;
    SeededRandom fallback;
};

// Lesson 7's exercises by their places, in the order of its menu and go-to grid.
namespace Lesson7 {
inline constexpr Exercise Ex1a{0}, Ex1b{1}, Ex1c{2}, Ex2{3}, Ex3{4}, Ex4{5}, Ex5{6}, Ex6{7};
inline constexpr std::array<Exercise, 8> All{Ex1a, Ex1b, Ex1c, Ex2, Ex3, Ex4, Ex5, Ex6};
} // namespace Lesson7
inline constexpr int indexOf(Exercise exercise) { return exercise.place; }
// Lesson 7's go-to caption ("1&a") and record code ("1a") of an exercise.
QString goToCaption(Exercise exercise);
QString exerciseCode(Exercise exercise);

namespace TestSupport {

// Types text into a widget as key presses, non-ASCII letters included.
void type(QWidget *widget, const QString &text);
// Replaces the text of a line edit by typing it (Ctrl+A first), so key translation runs.
void retype(QWidget *lineEdit, const QString &text);
void pressEnter(QWidget *widget);
// Runs `step` while real message boxes come up, handing each box on show to
// `onBox`, which reads it and closes it (or leaves it for a later look).
void withMessageBoxes(const std::function<void()> &step, const std::function<void(QMessageBox *)> &onBox);

// Lesson 7 as the program reads it, and its parts in the place of an exercise.
const LessonModel::Lesson &lesson7();
const LessonModel::Exercise &lesson7(Exercise exercise);
const LessonModel::SuffixDrill &drillOf(Exercise exercise);
const LessonModel::Story &storyOf(Exercise exercise);
// The answer of a suffix drill's word.
QString suffixAnswer(Exercise drill, const QString &cue);

// A folder this process cannot write to, root or not: a read-only bind mount
// for root, whom the mode bits do not stop; as it was again when it goes.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(QString path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool ok = false;

private:
    QString folder;
    bool mounted = false;
};

// Lesson 7's id, which its answers are recorded under.
QString lesson7Id();
// The record's answers, waited for (a test may wait; the program never does). Each asks
// after everything told to the record before, of lesson 7 unless another is named.
const RecordData::Status &settledStatus(Record &record);
QStringList mistakesOf(Record &record, const QString &exercise, RecordData::Scope scope = RecordData::Scope::ThisComputer,
                       const QString &lesson = lesson7Id());
RecordData::Figures figuresOf(Record &record, const QStringList &exercises, QDate today = QDate::currentDate(),
                              const QString &lesson = lesson7Id());
// An answer of lesson 7's exercise, in no run unless one is given.
ProgressRecord::Answer answerOf(const QString &exercise, const QString &item, const QString &expected, const QString &given,
                                bool right, bool solutionShown = false, bool retry = false, qint64 run = 0);
// Every recorded answer as the export writes it: one list of fields per answer, the header first.
QList<QStringList> exported(Record &record);

// The hand-worked reviews of the memory model (memory/fsrs-cases.csv) as the rows of a data-driven
// test, named by their first field: stability, difficulty, days, right, shown, retry (bool),
// newStability, newDifficulty. The rows made; -1 where the file cannot be read or a line has not
// nine fields.
int fsrsCaseRows(const QString &file);

} // namespace TestSupport
