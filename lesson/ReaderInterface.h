#pragma once

#include "LessonReader.h"

class LessonSpelling;

// The lesson reader lives in a module of its own (bimbala-reader) with what it brings
// (yaml-cpp, expat, hunspell), loaded when the first lesson is read, after the splash.
namespace ReaderInterface {

// LessonReader::read of the file at `path`, into `reading`.
using Read = void (*)(const QString &path, LessonSpelling *spelling, LessonReader::Reading &reading);
// A speller with the dictionary at `dictionary` (without its endings); `missing` says what is missing.
using MakeSpelling = LessonSpelling *(*)(const QString &dictionary, QString &missing);
using FreeSpelling = void (*)(LessonSpelling *spelling);

// Raised whenever a function above changes.
inline constexpr int Interface = 1;

inline constexpr char ReadName[] = "bimbala_read_lesson";
inline constexpr char MakeSpellingName[] = "bimbala_make_spelling";
inline constexpr char FreeSpellingName[] = "bimbala_free_spelling";

} // namespace ReaderInterface
