#include "StoryFlow.h"

#include "common/Twips.h"

#include <algorithm>

namespace {

// A piece's box shows its text whole with a pixel to spare on either side of the frame
// and margins of a line edit; a gap leaves room for the caret and a typing slip.
constexpr int PiecePadding = 10 * Twips::PerPixel;
constexpr int GapPadding = 16 * Twips::PerPixel;
// Neighbours in a row keep their frames apart.
constexpr int Spacing = 2 * Twips::PerPixel;

int roundUpToPixel(int twips)
{
    return (twips + Twips::PerPixel - 1) / Twips::PerPixel * Twips::PerPixel;
}

} // namespace

std::vector<StoryFlow::Step> StoryFlow::readingOrder(const std::vector<LessonModel::Place> &gaps,
                                                     const std::vector<Line> &pieces)
{
    std::vector<std::pair<LessonModel::Place, Step>> placed;
    for (std::size_t n = 0; n < gaps.size(); ++n)
        placed.push_back({gaps[n], {true, int(n)}});
    for (std::size_t k = 0; k < pieces.size(); ++k)
        placed.push_back({pieces[k].place, {false, int(k)}});
    std::stable_sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) {
        return std::pair(a.first.row, a.first.left) < std::pair(b.first.row, b.first.left);
    });
    std::vector<Step> order;
    for (const auto &[place, step] : placed)
        order.push_back(step);
    return order;
}

StoryFlow::StoryFlow(const Area &area, Measure measure) : area(area), measure(std::move(measure)), left(area.left) {}

void StoryFlow::addGap(const QStringList &texts, const QFont &font)
{
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, roundUpToPixel(measure(text, font)));
    flowed.gaps.push_back(take(widest + GapPadding));
}

void StoryFlow::addPiece(int piece, const QString &text, const QStringList &textsAtStart, const QFont &font)
{
    // Start sets the whole text of one control, so such a piece cannot wrap.
    if (!textsAtStart.isEmpty()) {
        int widest = pieceWidth(text, font);
        for (const QString &other : textsAtStart)
            widest = std::max(widest, pieceWidth(other, font));
        flowed.pieces.push_back({piece, text, take(widest)});
        return;
    }
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    while (!words.isEmpty()) {
        const qsizetype fitting = wordsFitting(words, font);
        if (fitting == 0 && left > area.left) {
            newRow();
            continue;
        }
        // A word wider than a whole row is set alone, cut at the row's end.
        const QString line = words.first(std::max<qsizetype>(fitting, 1)).join(u' ');
        flowed.pieces.push_back({piece, line, take(pieceWidth(line, font))});
        words.remove(0, std::max<qsizetype>(fitting, 1));
    }
}

LessonModel::Place StoryFlow::take(int width)
{
    width = std::min(width, area.right - area.left);
    if (left + width > area.right && left > area.left)
        newRow();
    const LessonModel::Place place{row, left, width};
    left += width + Spacing;
    return place;
}

void StoryFlow::newRow()
{
    ++row;
    left = area.left;
}

qsizetype StoryFlow::wordsFitting(const QStringList &words, const QFont &font) const
{
    qsizetype count = 0;
    while (count < words.size() && left + pieceWidth(words.first(count + 1).join(u' '), font) <= area.right)
        ++count;
    return count;
}

int StoryFlow::pieceWidth(const QString &text, const QFont &font) const
{
    return roundUpToPixel(measure(text, font)) + PiecePadding;
}

// The rows at their step while they fit above the bottom, closer up to the tightest
// step when they do not, and beyond that the story reaches below the bottom.
StoryFlow::Result StoryFlow::result() const
{
    Result result = flowed;
    const int rows = row + 1;
    const int room = area.bottom - area.top - area.boxHeight; // for the steps between rows
    int step = area.rowStep;
    if (rows > 1 && (rows - 1) * step > room)
        step = std::max(area.tightestRowStep, room / (rows - 1) / Twips::PerPixel * Twips::PerPixel);
    for (int r = 0; r < rows; ++r)
        result.rowTops.push_back(area.top + r * step);
    result.growth = std::max(0, roundUpToPixel(result.rowTops.back() + area.boxHeight - area.bottom));
    return result;
}
