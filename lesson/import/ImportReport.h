#pragma once

#include "lesson/Lesson.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What an import made of a teacher's file (a word list, a KVTML vocabulary, GIFT
// questions): one exercise, or a refusal, and a report of what it took and what it left
// out, line by line. Plain data: describe() words it for whoever shows or prints it.
namespace Import {

enum class Encoding { Utf8, Utf16, Latin1, Windows1252, Latin2, Windows1250 };

// Something the import did with a row, an entry or a question on `line`, not as it stood.
struct Note
{
    enum class What {
        // Taken, and said:
        Header,            // the header row, skipped
        Formula,           // values[0] starts as a spreadsheet formula; taken as text
        FieldsBeyondSecond,// fields after the word and the answer, left out; on `number` rows from here
        OtherRightAnswers, // values: the gap's other right answers, left out
        Choices,           // values: the gap's wrong choices, left out
        // Left out:
        NoAnswer,          // values[0]: the word
        NoWord,            // values[0]: the answer
        TooLong,           // values[0]: its beginning
        ControlCharacter,  // values[0]: the character, as U+XXXX
        AnotherAnswer,     // values: the word, the answer; `number`: the line of the answer taken
        SameSentence,      // `number`: the line of the sentence taken
        NoTranslation,     // values[0]: the language (locale) the entry has no text in
        NoGap,
        SeveralGaps,       // `number`: how many
        TrueFalse,
        Matching,
        Numeric,
        NoRightAnswer,
        BraceNeverClosed,  // the { on `line`
        BraceNeverOpened,  // the } on `line`
        QuoteNeverClosed,  // the quote on `line`: `number` lines from there to the end
    };
    Note(What what, int line, QStringList values = {}, int number = 0)
        : what(what), line(line), values(std::move(values)), number(number)
    {
    }

    What what;
    int line = 0;
    QStringList values;
    int number = 0;
    friend bool operator==(const Note &, const Note &) = default;
};

// Why nothing was made of the file.
struct Refusal
{
    enum class Why {
        NotRegularFile,
        CannotRead,       // detail: the system's reason
        TooLarge,         // number: the most bytes
        TooManyLines,     // number: the most lines
        TooManyItems,     // number: the most items or sentences (line: where the next one stands)
        TooMuchText,      // number: the most bytes of text
        NulBytes,         // line: the first
        NotUtf8,          // detail: the encoding the file declares
        DocumentType,     // line: a document type of its own declared
        Entity,           // line, detail: an entity declared (internal)
        ExternalEntity,   // line, detail: an entity that names another file or address
        TooDeep,          // line; number: the most levels
        TooManyAttributes,// line; number: the most on one element
        XmlError,         // line, detail: the XML reader's words
        NotKvtml,         // detail: what the file is instead
        TooManyEntries,   // number: the most entries
        NoHungarian,      // detail: the languages the file has
        NoSuchLanguage,   // detail: the language asked for; values: those the file has
        NoOtherLanguage,
        NothingTaken,
        UnknownKind,      // detail: the file's name
        EncodingMissing,  // detail: the encoding this system cannot decode
    };
    Refusal(Why why, int line = 0, QString detail = {}, qint64 number = 0, QStringList values = {})
        : why(why), line(line), detail(std::move(detail)), number(number), values(std::move(values))
    {
    }

    Why why;
    int line = 0;
    QString detail;
    qint64 number = 0;
    QStringList values;
    friend bool operator==(const Refusal &, const Refusal &) = default;
};

struct Report
{
    Encoding encoding = Encoding::Utf8;
    QChar separator;                // a word list's
    QString fromLanguage;           // a vocabulary's languages, as the file names them
    QString toLanguage;
    std::vector<int> takenLines;    // the line of each item or sentence taken, in their order
    std::vector<Note> notes;        // in the order of the file
};

struct Imported
{
    std::optional<LessonModel::Exercise> exercise; // none when refused
    std::optional<Refusal> refusal;
    Report report;
    QString title; // the file's own title, where it gives one
};

// A sentence for each, for the command line and the windows alike.
QString describe(const Note &note);
QString describe(const Refusal &refusal);
QString describe(Encoding encoding);

} // namespace Import
