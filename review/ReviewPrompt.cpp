#include "ReviewPrompt.h"

#include "exercises/sentences/SentenceTable.h"
#include "exercises/story/StoryRun.h"

#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace {

using namespace LessonModel;

bool fromDrill(const SuffixDrill &drill, ReviewPrompt &prompt)
{
    const auto found = std::find_if(drill.items.begin(), drill.items.end(), [&](const WordItem &w) { return w.cue == prompt.item; });
    if (found == drill.items.end())
        return false;
    // As the drill asks it: the word in the box, its suffix beside it; the learner adds the suffix.
    prompt.cue = drill.suffix;
    prompt.offer = found->cue;
    prompt.answers = {found->answer};
    return true;
}

bool fromSentences(const SentenceExercise &sentences, ReviewPrompt &prompt)
{
    const auto found = std::find_if(sentences.rows.begin(), sentences.rows.end(),
                                    [&](const SentenceRow &row) { return SentenceTable::key(row) == prompt.item; });
    if (found == sentences.rows.end())
        return false;
    prompt.cue = found->cue;
    prompt.before = found->before;
    prompt.offer = found->offer;
    prompt.after = found->after;
    prompt.answers = {found->answer};
    return true;
}

bool fromStory(const Story &story, ReviewPrompt &prompt)
{
    // The gap and person the record names, as the story window names them.
    int gap = -1;
    qsizetype personNo = -1;
    for (int n = 0; n < int(story.gaps.size()) && gap < 0; ++n) {
        for (qsizetype p = 0; p < story.persons.size(); ++p) {
            if (StoryRun::itemKey(n, story.persons[p]) == prompt.item)
                std::tie(gap, personNo) = std::pair(n, p);
        }
    }
    if (gap < 0 || personNo >= story.gaps[std::size_t(gap)].answers.size())
        return false;
    const QString &person = story.persons[personNo];
    const StoryGap &asked = story.gaps[std::size_t(gap)];
    // The sentence of the gap, as the person's story tells it, the other gaps solved.
    const QChar marker(0x1);
    QString told = StoryRun::told(story, int(personNo), int(personNo), gap, marker).simplified();
    for (const char *mark : {".", ",", "!", "?"})
        told.replace(QLatin1Char(' ') + QLatin1String(mark), QLatin1String(mark));
    static const QRegularExpression sentenceEnd(QStringLiteral("[.!?]"));
    const qsizetype at = told.indexOf(marker);
    const qsizetype start = told.lastIndexOf(sentenceEnd, at) + 1;
    const qsizetype end = told.indexOf(sentenceEnd, at);
    prompt.cue = person;
    prompt.before = told.mid(start, at - start).trimmed();
    prompt.after = told.mid(at + 1, end < 0 ? -1 : end - at).trimmed();
    prompt.offer = asked.offerAtStart.value(person, asked.offer);
    prompt.answers = QStringList{asked.answers[personNo]} + asked.alsoRight.value(person);
    return true;
}

} // namespace

std::optional<ReviewPrompt> ReviewPrompt::of(const Lesson &lesson, const QString &exercise, const QString &item)
{
    const auto found = std::find_if(lesson.exercises.begin(), lesson.exercises.end(),
                                    [&](const LessonModel::Exercise &e) { return e.id == exercise; });
    if (found == lesson.exercises.end())
        return std::nullopt;
    ReviewPrompt prompt;
    prompt.lesson = lesson.id;
    prompt.exercise = exercise;
    prompt.item = item;
    prompt.heading = lesson.title + QStringLiteral(" — ") + found->heading;
    prompt.judge = AnswerJudge::forShape(found->shape);
    const bool known = std::visit(
        [&prompt](const auto &content) {
            using Content = std::decay_t<decltype(content)>;
            if constexpr (std::is_same_v<Content, SuffixDrill>)
                return fromDrill(content, prompt);
            else if constexpr (std::is_same_v<Content, SentenceExercise>)
                return fromSentences(content, prompt);
            else
                return fromStory(content, prompt);
        },
        found->content);
    return known ? std::optional(prompt) : std::nullopt;
}

bool ReviewPrompt::exists(const Lesson &lesson, const QString &exercise, const QString &item)
{
    const auto found = std::find_if(lesson.exercises.begin(), lesson.exercises.end(),
                                    [&](const LessonModel::Exercise &e) { return e.id == exercise; });
    if (found == lesson.exercises.end())
        return false;
    return std::visit(
        [&item](const auto &content) {
            using Content = std::decay_t<decltype(content)>;
            if constexpr (std::is_same_v<Content, SuffixDrill>) {
                return std::any_of(content.items.begin(), content.items.end(), [&](const WordItem &w) { return w.cue == item; });
            } else if constexpr (std::is_same_v<Content, SentenceExercise>) {
                return std::any_of(content.rows.begin(), content.rows.end(),
                                   [&](const SentenceRow &row) { return SentenceTable::key(row) == item; });
            } else {
                for (std::size_t n = 0; n < content.gaps.size(); ++n) {
                    for (qsizetype p = 0; p < content.persons.size() && p < content.gaps[n].answers.size(); ++p) {
                        if (StoryRun::itemKey(int(n), content.persons[p]) == item)
                            return true;
                    }
                }
                return false;
            }
        },
        found->content);
}
