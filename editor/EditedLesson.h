#pragma once

#include "lesson/Lesson.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>

// The lesson being edited, without widgets: the lesson as it stands, the file it is saved
// to, and every change as a step that can be undone and done again. A change is told as
// what it does to the lesson; the steps of one field typed in one after another are one.
class EditedLesson final : public QObject
{
    Q_OBJECT

public:
    EditedLesson();

    // A new lesson: its id made now, once, never to change (the record keeps answers by it).
    void startNew();
    // The lesson of this file (empty: a copy of a lesson to save elsewhere, lesson 7 built in).
    void open(LessonModel::Lesson lesson, const QString &file);

    const LessonModel::Lesson &lesson() const { return edited; }
    const QString &file() const { return savedTo; }
    bool modified() const { return !undo.isClean(); }
    QUndoStack &steps() { return undo; }

    // A change of the lesson, named for the Edit menu (`what`: "Typing in the heading"), made in
    // the exercise at `exercise` (-1: the lesson's own fields). Changes with the same `mergeKey`
    // (not -1) in the same place, one after another, are one step.
    void change(const QString &what, int exercise, const std::function<void(LessonModel::Lesson &)> &edit,
                int mergeKey = -1);
    // The lesson was saved to `file` as it stands.
    void saved(const QString &file);

    // The exercises: made of one shape with what a teacher fills in, copied, removed, moved.
    void addExercise(LessonModel::Shape shape);
    void duplicateExercise(int place);
    void removeExercise(int place);
    void moveExercise(int place, int by);

    // A new exercise of the shape, its id and caption free in the lesson.
    static LessonModel::Exercise fresh(LessonModel::Shape shape, const LessonModel::Lesson &lesson);

Q_SIGNALS:
    // The lesson changed (a change, an undo or a redo); `exercise` is the place it was made in, -1: the lesson's own.
    void changed(int exercise);

private:
    class Step;
    void replace(const LessonModel::Lesson &lesson, int exercise);

    LessonModel::Lesson edited;
    QString savedTo;
    QUndoStack undo;
};
