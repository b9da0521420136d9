#include "ReviewPrompt.h"

#include "common/HungarianText.h"
#include "exercises/b07d4/SentenceTable.h"
#include "exercises/story/StoryFlow.h"
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
    prompt.cue = found->cue + QStringLiteral("   ") + drill.suffix;
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

// A piece's text as the person's story tells it.
QString pieceText(const StoryPiece &piece, const QString &person)
{
    return piece.textAtStart.value(person, piece.text).simplified();
}

// The story's gaps and pieces as a reader goes: in the order of their places where
// the lesson places them, else in the story's own order.
std::vector<StoryFlow::Step> storyOrder(const Story &story)
{
    if (story.layout) {
        std::vector<Place> gaps;
        for (const StoryGap &gap : story.gaps)
            gaps.push_back(gap.place.value_or(Place{}));
        std::vector<StoryFlow::Line> pieces;
        for (std::size_t k = 0; k < story.pieces.size(); ++k)
            pieces.push_back({int(k), story.pieces[k].text, story.pieces[k].place.value_or(Place{})});
        return StoryFlow::readingOrder(gaps, pieces);
    }
    std::vector<StoryFlow::Step> steps;
    std::size_t piece = 0;
    for (std::size_t gap = 0; gap <= story.gaps.size(); ++gap) {
        for (; piece < story.pieces.size() && story.pieces[piece].gapsBefore <= int(gap); ++piece)
            steps.push_back({false, int(piece)});
        if (gap < story.gaps.size())
            steps.push_back({true, int(gap)});
    }
    return steps;
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
    QStringList parts;
    for (const StoryFlow::Step &step : storyOrder(story)) {
        if (!step.gap)
            parts << pieceText(story.pieces[std::size_t(step.index)], person);
        else
            parts << (step.index == gap ? QString(marker) : story.gaps[std::size_t(step.index)].answers.value(personNo));
    }
    QString told = parts.join(u' ').simplified();
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

bool ReviewPrompt::isRight(const QString &typed) const
{
    const QString answer = HungarianText::trimBlanks(HungarianText::normalised(typed));
    return !answers.isEmpty() && (answer == answers.first() || answers.mid(1).contains(typed));
}

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
