#include "StoryMarkup.h"

namespace StoryMarkup {

namespace {

// The words since the last gap become a piece. The program lays the story out,
// so line breaks and runs of blanks are one blank, and the blanks at either end
// only part the piece from its gaps.
void endPiece(Story &story, QString &text)
{
    const QString words = text.simplified();
    text.clear();
    if (words.isEmpty())
        return;
    LessonModel::StoryPiece piece;
    piece.index = int(story.pieces.size());
    piece.text = words;
    piece.gapsBefore = int(story.gaps.size());
    story.pieces.push_back(std::move(piece));
}

} // namespace

Story parse(const QString &text)
{
    Story story;
    QString between;
    QString offer;
    qsizetype open = -1; // the [ of the gap being read; -1 between gaps
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A gap left open is said at its own [, where the ] is missing.
        if (c == u'[' && open >= 0) {
            story.problems.push_back({open, QStringLiteral("a [ that no ] closes before the next [")});
            open = i;
            offer.clear();
        } else if (c == u'\n' && open >= 0) {
            story.problems.push_back({open, QStringLiteral("a [ that no ] closes on its line")});
            open = -1;
            between += c;
        } else if (c == u'[') {
            endPiece(story, between);
            open = i;
            offer.clear();
        } else if (c == u']' && open < 0) {
            story.problems.push_back({i, QStringLiteral("a ] that closes no gap")});
        } else if (c == u']') {
            story.gaps.push_back({offer.simplified(), open});
            open = -1;
        } else {
            (open >= 0 ? offer : between) += c;
        }
    }
    if (open >= 0)
        story.problems.push_back({open, QStringLiteral("a [ that no ] closes")});
    endPiece(story, between);
    return story;
}

QString text(const LessonModel::Story &story)
{
    static const QString Joining = QStringLiteral(".,;:!?)");
    QString told;
    std::size_t piece = 0;
    for (std::size_t gap = 0; gap <= story.gaps.size(); ++gap) {
        for (; piece < story.pieces.size() && story.pieces[piece].gapsBefore <= int(gap); ++piece) {
            const QString &words = story.pieces[piece].text;
            const bool joins = told.endsWith(u']') && !words.isEmpty() && Joining.contains(words.front());
            if (!told.isEmpty() && !joins)
                told += u' ';
            told += words;
        }
        if (gap < story.gaps.size())
            told += (told.isEmpty() ? QString() : QStringLiteral(" ")) + u'[' + story.gaps[gap].offer + u']';
    }
    return told;
}

} // namespace StoryMarkup
