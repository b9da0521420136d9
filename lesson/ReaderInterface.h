#pragma once

#include "Lesson.h"
#include "LessonPlace.h"
#include "LessonReader.h"

#include <QByteArray>

class LessonSpelling;

// The lesson reader lives in a module of its own (bimbala-reader) with what it brings
// (yaml-cpp, expat, hunspell), loaded when the first lesson is read, after the splash.
namespace ReaderInterface {

// LessonReader::read of the file at `path`, into `reading`.
using Read = void (*)(const QString &path, LessonSpelling *spelling, LessonReader::Reading &reading);
// A speller with the dictionary at `dictionary` (without its endings); `missing` says what is missing.
using MakeSpelling = LessonSpelling *(*)(const QString &dictionary, QString &missing);
using FreeSpelling = void (*)(LessonSpelling *spelling);
// LessonWriter::write of `lesson`, into `text`, and where its fields stand into `lines` (when given).
using Write = void (*)(const LessonModel::Lesson &lesson, QByteArray &text, LessonLines *lines);
// LessonReader::read of a file's text, named `name` in problems, its pictures in `folder`.
using ReadText = void (*)(const QByteArray &text, const QString &name, const QString &folder, LessonReader::Reading &reading);

// Raised whenever a function above changes.
inline constexpr int Interface = 2;

inline constexpr char ReadName[] = "bimbala_read_lesson";
inline constexpr char MakeSpellingName[] = "bimbala_make_spelling";
inline constexpr char FreeSpellingName[] = "bimbala_free_spelling";
inline constexpr char WriteName[] = "bimbala_write_lesson";
inline constexpr char ReadTextName[] = "bimbala_read_lesson_text";

} // namespace ReaderInterface
