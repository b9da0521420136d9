#pragma once

#include <QString>

#include <utility>
#include <vector>

// Where a field stands in a lesson: its exercise (-1: the lesson's own fields), its key in
// the lesson file ("heading", "items") and the row of a list (an item, a sentence, a gap, a
// picture; -1: none). The lesson editor finds the field a problem names by it.
struct LessonPlace
{
    int exercise = -1;
    QString key;
    int row = -1;
    friend bool operator==(const LessonPlace &, const LessonPlace &) = default;
};

// The lines of a lesson file as written, from each of which on a place stands: in order of lines.
using LessonLines = std::vector<std::pair<int, LessonPlace>>;

// The place of a line of the written file: the last that begins at or before it.
inline LessonPlace placeOfLine(const LessonLines &lines, int line)
{
    LessonPlace found;
    for (const auto &[begins, place] : lines) {
        if (begins > line)
            break;
        found = place;
    }
    return found;
}
