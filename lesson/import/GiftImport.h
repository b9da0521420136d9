#pragma once

#include "ImportReport.h"

#include <QByteArray>

namespace Import {

// Moodle GIFT questions as a sentence exercise: each question with one gap to type
// ({=answer}, the text before and after it the sentence's, its title the cue) is a
// sentence; the first right answer is the answer, other answers and choices are left out
// and said, and so is every other question.
Imported gift(const QByteArray &bytes);

} // namespace Import
