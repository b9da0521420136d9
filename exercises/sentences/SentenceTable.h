#pragma once

#include "exercises/frame/Exercise.h"
#include "lesson/Lesson.h"

#include <QString>

#include <vector>

// The rows a run asks, each once.
struct RowRange
{
    int first = 0;
    int last = -1;
    constexpr int size() const { return last - first + 1; }
};

// The sentences of the exercises the sentence window runs, in one table: the
// first exercise's rows, then the next one's. A switch between them keeps the
// sentence on show, so a row is known by its place in the table.
class SentenceTable
{
public:
    SentenceTable() = default;
    // The lesson's sentence exercises in the places of `exercises`.
    SentenceTable(const LessonModel::Lesson &lesson, const std::vector<Exercise> &exercises);

    int size() const { return int(rows.size()); }
    const LessonModel::SentenceRow &row(int index) const { return rows.at(std::size_t(index)); }
    // The rows of the exercise's basic run, or of its extended (Plus) run, which holds the basic one.
    RowRange range(Exercise exercise, bool extended) const;

    // The sentence as finished with `answer`: a tail that starts with a full stop,
    // question mark or comma joins the answer without a blank.
    static QString finished(const LessonModel::SentenceRow &row, const QString &answer);
    // The key of a sentence in the progress record: the sentence as finished, answer included.
    static QString key(const LessonModel::SentenceRow &row) { return finished(row, row.answer).trimmed(); }

private:
    struct Part
    {
        Exercise exercise;
        RowRange all;
        int basic;
    };
    std::vector<LessonModel::SentenceRow> rows;
    std::vector<Part> parts;
};
