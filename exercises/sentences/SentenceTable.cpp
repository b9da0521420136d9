#include "SentenceTable.h"

SentenceTable::SentenceTable(const LessonModel::Lesson &lesson, const std::vector<Exercise> &exercises)
{
    for (Exercise exercise : exercises) {
        const auto *sentences =
            std::get_if<LessonModel::SentenceExercise>(&lesson.exercises.at(std::size_t(exercise.place)).content);
        if (!sentences)
            continue;
        const int first = size();
        rows.insert(rows.end(), sentences->rows.begin(), sentences->rows.end());
        parts.push_back({exercise, {first, size() - 1}, sentences->basic});
    }
}

RowRange SentenceTable::range(Exercise exercise, bool extended) const
{
    for (const Part &part : parts) {
        if (part.exercise == exercise)
            return extended ? part.all : RowRange{part.all.first, part.all.first + part.basic - 1};
    }
    return {};
}

QString SentenceTable::finished(const LessonModel::SentenceRow &row, const QString &answer)
{
    const bool joins = row.after.startsWith(u'.') || row.after.startsWith(u'?') || row.after.startsWith(u',');
    return row.before + QLatin1Char(' ') + answer + (joins ? QString() : QStringLiteral(" ")) + row.after;
}
