#pragma once

#include "lesson/Lesson.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Lays out a story that places nothing itself as running text: its pieces and
// gaps in story order, left to right in rows that fit the window, a piece
// wrapped between words where a row ends, a gap never split. Every measure is
// in twips and a whole number of pixels.
class StoryFlow
{
public:
    // Where the story may go and how its rows are spaced.
    struct Area
    {
        int left = 0;
        int right = 0;
        int top = 0;    // of the first row
        int bottom = 0; // the last row ends above it, unless the story needs more room
        int boxHeight = 0;
        int rowStep = 0;
        int tightestRowStep = 0; // a long story's rows close up to this before the window grows
    };
    // How wide a text is in a font.
    using Measure = std::function<int(const QString &text, const QFont &font)>;

    // One control of a piece: a piece wrapped over rows has one in each.
    struct Line
    {
        int piece = 0; // the piece's position in the story's list
        QString text;
        LessonModel::Place place;
    };

    struct Result
    {
        std::vector<int> rowTops;
        std::vector<LessonModel::Place> gaps; // in the order they were added
        std::vector<Line> pieces;             // in story order
        int growth = 0;                       // how far the last row reaches below the area's bottom
    };

    // One control of the story in reading order: a gap by its number, or a piece's line
    // by its place in the list of lines.
    struct Step
    {
        bool gap = false;
        int index = 0;
    };
    // The story's controls as a reader goes, wherever they were placed: rows top to
    // bottom, each left to right.
    static std::vector<Step> readingOrder(const std::vector<LessonModel::Place> &gaps, const std::vector<Line> &pieces);

    StoryFlow(const Area &area, Measure measure);

    // As wide as the widest text it may hold.
    void addGap(const QStringList &texts, const QFont &font);
    // A piece whose text changes at Start stays whole, as wide as its widest text.
    void addPiece(int piece, const QString &text, const QStringList &textsAtStart, const QFont &font);
    Result result() const;

private:
    // The next room of this width in the row, in the next row when the row is full.
    LessonModel::Place take(int width);
    void newRow();
    // How many of the words, from the first, fit in the rest of the row.
    qsizetype wordsFitting(const QStringList &words, const QFont &font) const;
    int pieceWidth(const QString &text, const QFont &font) const;

    Area area;
    Measure measure;
    Result flowed;
    int row = 0;
    int left = 0; // where the next control of the row goes
};
