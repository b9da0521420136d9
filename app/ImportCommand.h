#pragma once

#include "CommandLine.h"

#include <QString>

// `bimbala --import FILE --to LESSON [--from-language CODE]`: a new lesson file of one
// exercise made of a word list, a KVTML vocabulary or GIFT questions, without a display.
// Prints what it took and what it left out, line by line; ends with 0 when the lesson is
// written, 1 (why, on standard error) when not.
CommandLine importLesson(const QString &source, const QString &target, const QString &fromLanguage);
