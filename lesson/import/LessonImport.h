#pragma once

#include "ImportReport.h"

#include <QString>

// A lesson from what teachers have already: a word list, a KVTML vocabulary, GIFT questions.
namespace Import {

enum class Kind { WordList, Kvtml, Gift };

// The kind of the file by its name: .csv and .tsv a word list, .kvtml a vocabulary,
// .gift questions; .txt questions when it holds a brace, a word list otherwise.
std::optional<Kind> kindOf(const QString &path, const QByteArray &bytes);

// The file at `path` imported as its kind (`fromLanguage` for a vocabulary, see kvtml()).
Imported file(const QString &path, const QString &fromLanguage = {});

// A new lesson of the one exercise, named after `source` (the file it was imported from)
// unless given a `title`; its id made now, from the file's name and a random suffix.
LessonModel::Lesson lessonOf(LessonModel::Exercise exercise, const QString &source, const QString &title = {});

} // namespace Import
