#pragma once

#include "Lesson.h"
#include "LessonPlace.h"

#include <QByteArray>

// Writes a lesson as a lesson file (YAML, UTF-8), in the form a teacher writes one:
// texts in double quotes, a drill's items and a sentence's parts on one line each, a
// story laid out by the program told as running text with its gaps in brackets. The
// reader reads what it writes back to the same lesson. Pictures are named, not written:
// they are files beside the lesson.
namespace LessonWriter {

// The file's text; with `lines`, from which line on each field and each row of a list stands.
QByteArray write(const LessonModel::Lesson &lesson, LessonLines *lines = nullptr);

} // namespace LessonWriter
