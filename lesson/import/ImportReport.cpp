#include "ImportReport.h"

#include "ImportText.h"
#include "common/Counted.h"

#include <QCoreApplication>

namespace Import {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Import", text);
}

QString quoted(const QStringList &texts)
{
    QStringList each;
    for (const QString &text : texts)
        each << QStringLiteral("\"%1\"").arg(text);
    return each.join(QStringLiteral(", "));
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'g', 3);
}

} // namespace

QString describe(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf16:
        return QStringLiteral("UTF-16");
    case Encoding::Latin1:
        return tr("Latin-1 (ISO 8859-1, Western European)");
    case Encoding::Windows1252:
        return tr("Windows-1252 (Western European)");
    case Encoding::Latin2:
        return tr("Latin-2 (ISO 8859-2, Central European)");
    case Encoding::Windows1250:
        return tr("Windows-1250 (Central European)");
    }
    return {};
}

QString describe(const Note &note)
{
    const QString first = note.values.value(0);
    switch (note.what) {
    case Note::What::Header:
        return tr("the header row, skipped");
    case Note::What::Formula:
        return tr("\"%1\" is taken as text, though a spreadsheet would take it for a formula").arg(first);
    case Note::What::FieldsBeyondSecond:
        return counted("Import", QT_TRANSLATE_N_NOOP("Import", "the fields after the word and its answer are left out, on this row only"),
                       QT_TRANSLATE_N_NOOP("Import", "the fields after the word and its answer are left out, on %n rows from here"),
                       note.number);
    case Note::What::OtherRightAnswers:
        return tr("the other right answers are left out, as a sentence takes one: %1").arg(quoted(note.values));
    case Note::What::Choices:
        return tr("the choices that are not the right answer are left out, as a sentence is typed: %1").arg(quoted(note.values));
    case Note::What::NoAnswer:
        return tr("left out: \"%1\" has no answer").arg(first);
    case Note::What::NoWord:
        return tr("left out: the answer \"%1\" has no word").arg(first);
    case Note::What::TooLong:
        return tr("left out: \"%1\" is longer than %2 characters").arg(first).arg(MostFieldCharacters);
    case Note::What::ControlCharacter:
        return tr("left out: it holds an invisible control character (%1)").arg(first);
    case Note::What::AnotherAnswer:
        return tr("left out: \"%1\" is given the answer \"%2\" here, and another on line %3")
            .arg(first, note.values.value(1))
            .arg(note.number);
    case Note::What::SameSentence:
        return tr("left out: the same sentence as on line %1").arg(note.number);
    case Note::What::NoTranslation:
        return tr("left out: the entry has no text in %1").arg(first);
    case Note::What::NoGap:
        return tr("left out: the question has no gap, such as {=answer}");
    case Note::What::SeveralGaps:
        return counted("Import", QT_TRANSLATE_N_NOOP("Import", "left out: the question has %n gap, and a sentence has one"),
                       QT_TRANSLATE_N_NOOP("Import", "left out: the question has %n gaps, and a sentence has one"), note.number);
    case Note::What::TrueFalse:
        return tr("left out: a true/false question has nothing to type");
    case Note::What::Matching:
        return tr("left out: a matching question has nothing to type in one gap");
    case Note::What::Numeric:
        return tr("left out: a numerical question's answer is a number within a tolerance, not a word to type");
    case Note::What::NoRightAnswer:
        return tr("left out: the question has no right answer to type");
    case Note::What::BraceNeverClosed:
        return tr("left out: this { is never closed; put a } where its answers end");
    case Note::What::BraceNeverOpened:
        return tr("left out: this } closes no {; write \\} for a brace of the text");
    case Note::What::QuoteNeverClosed:
        return counted("Import",
                       QT_TRANSLATE_N_NOOP("Import", "left out: the quote that opens a field on this line is never closed, "
                                                     "so this line is left out"),
                       QT_TRANSLATE_N_NOOP("Import", "left out: the quote that opens a field on this line is never closed, "
                                                     "so the %n lines from here to the end are left out"),
                       note.number);
    }
    return {};
}

QString describe(const Refusal &refusal)
{
    const QString number = QString::number(refusal.number);
    switch (refusal.why) {
    case Refusal::Why::NotRegularFile:
        return tr("it is a folder, a device or a pipe, not a file");
    case Refusal::Why::CannotRead:
        return tr("the file cannot be read (%1)").arg(refusal.detail);
    case Refusal::Why::TooLarge:
        return tr("the file is larger than %1 MB, more than a lesson holds").arg(megabytes(refusal.number));
    case Refusal::Why::TooManyLines:
        return tr("the file has more than %1 lines, more than a lesson holds").arg(number);
    case Refusal::Why::TooManyItems:
        return tr("from here on there is more than one exercise holds (%1 words or %2 sentences): split the file")
            .arg(MostItems)
            .arg(MostSentences);
    case Refusal::Why::TooMuchText:
        return tr("from here on there is more text than a lesson file holds (%1 MB): split the file").arg(megabytes(refusal.number));
    case Refusal::Why::NulBytes:
        return tr("the file holds a NUL byte here, which no text file has: it is no text, or UTF-16 without its "
                  "byte order mark; save it as UTF-8");
    case Refusal::Why::NotUtf8:
        return tr("the file is written in %1: save it as UTF-8").arg(refusal.detail);
    case Refusal::Why::DocumentType:
        return tr("the file declares a document type of its own (%1), which a vocabulary file does not; it is not read")
            .arg(refusal.detail);
    case Refusal::Why::Entity:
        return tr("the file declares an entity of its own (%1), which may repeat text without end; a vocabulary "
                  "file has none, and it is not read")
            .arg(refusal.detail);
    case Refusal::Why::ExternalEntity:
        return tr("the file declares an entity (%1) that would read another file or address; a vocabulary file has "
                  "none, and it is not read")
            .arg(refusal.detail);
    case Refusal::Why::TooDeep:
        return tr("elements are nested more than %1 deep here, deeper than a vocabulary file goes").arg(number);
    case Refusal::Why::TooManyAttributes:
        return tr("an element here has more than %1 attributes, more than a vocabulary file has").arg(number);
    case Refusal::Why::XmlError:
        return tr("the file is not well-formed XML: %1").arg(refusal.detail);
    case Refusal::Why::NotKvtml:
        return tr("the file is no KVTML 2.0 vocabulary: it begins with %1").arg(refusal.detail);
    case Refusal::Why::TooManyEntries:
        return tr("the file has more than %1 entries, more than a lesson holds").arg(number);
    case Refusal::Why::NoHungarian:
        return tr("the file has no Hungarian words (no language of locale hu), only: %1").arg(refusal.detail);
    case Refusal::Why::NoSuchLanguage:
        return tr("the file has no words in \"%1\"; its languages besides Hungarian are: %2")
            .arg(refusal.detail, refusal.values.join(QStringLiteral(", ")));
    case Refusal::Why::NoOtherLanguage:
        return tr("the file has Hungarian words only, so there is nothing to translate from");
    case Refusal::Why::NothingTaken:
        return tr("nothing in the file could be taken");
    case Refusal::Why::UnknownKind:
        return tr("the kind of file is not known by its name: a word list ends in .csv, .tsv or .txt, a vocabulary "
                  "in .kvtml, questions in .gift or .txt");
    case Refusal::Why::EncodingMissing:
        return tr("the file is not UTF-8, and this system cannot read it as %1: save it as UTF-8").arg(refusal.detail);
    }
    return {};
}

} // namespace Import
