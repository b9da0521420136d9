#pragma once

#include "ImportReport.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// What the imports share: reading a file within bounds, making text of its bytes, and
// taking fields, items and sentences as a lesson file holds them, so that every exercise
// an import makes reads back from its file as it was made.
namespace Import {

// A word list or GIFT file may be at most this big and this long.
inline constexpr qint64 MostTextBytes = 4 * 1024 * 1024;
inline constexpr int MostLines = 50'000;
// What a lesson file has room for (the reader's 60,000 parts and 2 MB, with room to spare):
// a drill's items are 3 parts each, a sentence 11.
inline constexpr int MostItems = 10'000;
inline constexpr int MostSentences = 5'000;
inline constexpr qint64 MostLessonText = 1'500'000;
// A word, an answer or a part of a sentence longer than this is no word.
inline constexpr int MostFieldCharacters = 200;

// The bytes of the regular file at `path` (never a device or a pipe), at most `most` of them.
std::optional<Refusal> readFile(const QString &path, qint64 most, QByteArray &bytes);

// The number of the line `at` is on, line breaks as \n, \r\n or \r.
int lineAt(const QByteArray &bytes, qsizetype at);

struct Text
{
    QString text;
    Encoding encoding = Encoding::Utf8;
    std::optional<Refusal> refusal;
};

// A text file's text: UTF-8, UTF-16 with its byte order mark, or else the single-byte
// encoding whose letters read as Hungarian (ő ű rather than õ û); within the bounds above,
// and with no NUL byte, which no text file has.
Text decode(const QByteArray &bytes);

// A text as a lesson holds it: blanks and line breaks inside as one blank, none at the
// ends, in NFC (as the reader makes it and learners type it).
QString cleaned(const QString &text);
// Why `text` (cleaned) cannot be a lesson's text, with its line; none when it can.
std::optional<Note> fault(const QString &text, int line);

// How many items or sentences a lesson file has room for, and how much text.
class Room
{
public:
    Room(int most, int framing) : most(most), framing(framing) {}
    // Room for one more, of these texts, found on `line`; otherwise why not.
    std::optional<Refusal> take(int line, std::initializer_list<const QString *> texts);

private:
    int most;
    int framing; // the bytes a lesson file writes around each one's texts
    int count = 0;
    qint64 bytes = 0;
};

// The items of a drill as they are taken, each checked as the lesson reader checks them.
class DrillItems
{
public:
    explicit DrillItems(Report &report) : report(report) {}
    // Takes the word and its answer found on `line`, or notes why not; false once the
    // drill has no room for it (refusal() says so).
    bool take(int line, const QString &word, const QString &answer);
    const std::optional<Refusal> &refusal() const { return full; }
    std::vector<LessonModel::WordItem> items;

private:
    std::optional<Note> leftOut(int line, const QString &word, const QString &answer) const;

    Report &report;
    Room room{MostItems, 16};
    QHash<QString, std::size_t> itemOfWord;
    std::optional<Refusal> full;
};

struct Sentence
{
    QString before;
    QString answer;
    QString after;
    QString cue;
};

// The rows of a sentence exercise as they are taken, checked as the lesson reader checks them.
class SentenceRows
{
public:
    explicit SentenceRows(Report &report) : report(report) {}
    bool take(int line, const Sentence &sentence);
    const std::optional<Refusal> &refusal() const { return full; }
    std::vector<LessonModel::SentenceRow> rows;

private:
    std::optional<Note> leftOut(int line, const Sentence &sentence) const;
    static QString whole(const Sentence &sentence);

    Report &report;
    Room room{MostSentences, 64};
    QHash<QString, int> lineOfSentence;
    std::optional<Refusal> full;
};

} // namespace Import

namespace Import {

// The one exercise an import makes: its id, caption and texts made up, the basic run
// asking the first 20 (or all, when there are fewer).
LessonModel::Exercise drillExercise(std::vector<LessonModel::WordItem> items, const QString &description,
                                    const QString &heading);
LessonModel::Exercise sentenceExercise(std::vector<LessonModel::SentenceRow> rows, const QString &description,
                                       const QString &heading);

// What an import gives when its items are in: the exercise, or the refusal of the one
// that found no room or of a file with nothing to take.
Imported finished(Report report, const std::optional<Refusal> &full, std::optional<LessonModel::Exercise> exercise);
Imported refused(const Refusal &refusal, Report report = {});

} // namespace Import
