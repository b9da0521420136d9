#include "EditedLesson.h"

#include <QCoreApplication>
#include <QUuid>

#include <algorithm>

using namespace LessonModel;

// One step: the lesson before it and after it, and where it was made.
class EditedLesson::Step final : public QUndoCommand
{
public:
    Step(EditedLesson &lesson, const QString &what, Lesson before, Lesson after, int exercise, int mergeKey)
        : QUndoCommand(what), lesson(lesson), before(std::move(before)), after(std::move(after)), exercise(exercise),
          key(mergeKey)
    {
    }

    void undo() override { lesson.replace(before, exercise); }
    void redo() override { lesson.replace(after, exercise); }
    int id() const override { return key; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const Step *>(other);
        if (next->exercise != exercise)
            return false;
        after = next->after;
        return true;
    }

private:
    EditedLesson &lesson;
    Lesson before;
    Lesson after;
    int exercise;
    int key;
};

EditedLesson::EditedLesson() = default;

void EditedLesson::startNew()
{
    Lesson lesson;
    // Made once, with the lesson: answers are recorded under it, whatever the title becomes.
    lesson.id = QStringLiteral("lesson-") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    lesson.title = QCoreApplication::translate("EditedLesson", "New lesson");
    lesson.exercises.push_back(fresh(Shape::SuffixDrill, lesson));
    open(std::move(lesson), {});
}

void EditedLesson::open(Lesson lesson, const QString &file)
{
    undo.clear();
    savedTo = file;
    replace(lesson, -1);
    undo.setClean();
}

void EditedLesson::replace(const Lesson &lesson, int exercise)
{
    edited = lesson;
    Q_EMIT changed(exercise);
}

void EditedLesson::change(const QString &what, int exercise, const std::function<void(Lesson &)> &edit, int mergeKey)
{
    Lesson after = edited;
    edit(after);
    if (after == edited)
        return;
    undo.push(new Step(*this, what, edited, std::move(after), exercise, mergeKey));
}

void EditedLesson::saved(const QString &file)
{
    savedTo = file;
    undo.setClean();
}

Exercise EditedLesson::fresh(Shape shape, const Lesson &lesson)
{
    // The first number no exercise has as its id, which is also its caption's access key.
    int number = 1;
    const auto taken = [&lesson](const QString &id) {
        return std::any_of(lesson.exercises.begin(), lesson.exercises.end(), [&](const Exercise &e) { return e.id == id; });
    };
    while (taken(QString::number(number)))
        ++number;
    Exercise exercise;
    exercise.id = QString::number(number);
    exercise.caption = u'&' + exercise.id;
    exercise.shape = shape;
    const auto tr = [](const char *text) { return QCoreApplication::translate("EditedLesson", text); };
    switch (shape) {
    case Shape::SuffixDrill:
        exercise.heading = tr("Put in the correct suffixes.");
        exercise.description = tr("Put in the correct suffixes.");
        exercise.content = SuffixDrill{exercise.id + u'.', QString(), 1, {WordItem{}}};
        break;
    case Shape::Sentences:
        exercise.heading = tr("Put in the missing suffixes.");
        exercise.description = tr("Put in the missing suffixes.");
        exercise.content = SentenceExercise{{}, 1, {SentenceRow{}}, std::nullopt};
        break;
    case Shape::PersonStory:
    case Shape::PictureStory: {
        exercise.heading = tr("Put in the missing words.");
        exercise.description = tr("Put in the missing words.");
        Story story;
        story.persons = QStringList{QStringLiteral("én"), QStringLiteral("te")};
        exercise.content = story;
        break;
    }
    }
    return exercise;
}

void EditedLesson::addExercise(Shape shape)
{
    const int place = int(edited.exercises.size());
    change(QCoreApplication::translate("EditedLesson", "Adding an exercise"), place,
           [shape](Lesson &lesson) { lesson.exercises.push_back(fresh(shape, lesson)); });
}

void EditedLesson::duplicateExercise(int place)
{
    change(QCoreApplication::translate("EditedLesson", "Duplicating an exercise"), place + 1, [place](Lesson &lesson) {
        Exercise copy = lesson.exercises.at(std::size_t(place));
        const Exercise free = fresh(copy.shape, lesson);
        copy.id = free.id;
        copy.caption = free.caption;
        lesson.exercises.insert(lesson.exercises.begin() + place + 1, std::move(copy));
    });
}

void EditedLesson::removeExercise(int place)
{
    change(QCoreApplication::translate("EditedLesson", "Removing an exercise"), std::max(0, place - 1),
           [place](Lesson &lesson) { lesson.exercises.erase(lesson.exercises.begin() + place); });
}

void EditedLesson::moveExercise(int place, int by)
{
    const int to = place + by;
    if (to < 0 || to >= int(edited.exercises.size()))
        return;
    change(QCoreApplication::translate("EditedLesson", "Moving an exercise"), to,
           [place, to](Lesson &lesson) { std::swap(lesson.exercises[std::size_t(place)], lesson.exercises[std::size_t(to)]); });
}
