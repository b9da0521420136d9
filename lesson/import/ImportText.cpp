#include "ImportText.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Import {

namespace {

// The size of a text as a lesson file writes it: UTF-8, in double quotes, where a quote
// and a backslash take two bytes.
qint64 writtenSize(const QString &text)
{
    return text.toUtf8().size() + text.count(u'"') + text.count(u'\\');
}

bool isInvisible(QChar c)
{
    return c.category() == QChar::Other_Control || c.isSurrogate() || c == QChar(0xFEFF) || c == QChar(0xFFFE) ||
           c == QChar(0xFFFF);
}

QString beginning(const QString &text)
{
    constexpr int Shown = 30;
    return text.size() <= Shown ? text : text.left(Shown) + QStringLiteral("…");
}

int lineBreaks(const QString &text)
{
    return int(text.count(u'\n') + text.count(u'\r') - text.count(QStringLiteral("\r\n")));
}

// The single-byte encoding of Hungarian text that is not UTF-8. The letters á é í ó ö ú ü
// are the same bytes in Latin-1 and Latin-2; ő ű Ő Ű are Latin-2's 0xF5 0xFB 0xD5 0xDB,
// which Latin-1 reads as õ û Õ Û, letters no Hungarian text has. Bytes 0x80-0x9F are
// Windows' quotes and dashes (control characters in the ISO encodings).
Encoding singleByteEncoding(const QByteArray &bytes)
{
    bool hungarian = false;
    bool windows = false;
    for (const char byte : bytes) {
        const uchar c = uchar(byte);
        hungarian = hungarian || c == 0xF5 || c == 0xFB || c == 0xD5 || c == 0xDB;
        windows = windows || (c >= 0x80 && c <= 0x9F);
    }
    if (hungarian)
        return windows ? Encoding::Windows1250 : Encoding::Latin2;
    return windows ? Encoding::Windows1252 : Encoding::Latin1;
}

const char *nameOf(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Latin2:
        return "ISO-8859-2";
    case Encoding::Windows1250:
        return "windows-1250";
    case Encoding::Windows1252:
        return "windows-1252";
    default:
        return "ISO-8859-1";
    }
}

std::optional<Refusal> nulIn(const QByteArray &bytes)
{
    const qsizetype at = bytes.indexOf('\0');
    if (at < 0)
        return std::nullopt;
    return Refusal{Refusal::Why::NulBytes, lineAt(bytes, at)};
}

Text decodeBytes(const QByteArray &bytes)
{
    Text result;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        result.text = utf16(bytes);
        result.encoding = Encoding::Utf16;
        if (const qsizetype at = result.text.indexOf(QChar(0)); at >= 0)
            result.refusal = Refusal{Refusal::Why::NulBytes, lineBreaks(result.text.left(at)) + 1};
        return result;
    }
    if ((result.refusal = nulIn(bytes)))
        return result;
    QStringDecoder utf8(QStringDecoder::Utf8);
    result.text = utf8(bytes);
    if (!utf8.hasError())
        return result;
    result.encoding = singleByteEncoding(bytes);
    QStringDecoder singleByte(nameOf(result.encoding));
    if (!singleByte.isValid())
        result.refusal = Refusal{Refusal::Why::EncodingMissing, 0, QString::fromLatin1(nameOf(result.encoding))};
    else
        result.text = singleByte(bytes);
    return result;
}

} // namespace

std::optional<Refusal> readFile(const QString &path, qint64 most, QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return Refusal{Refusal::Why::NotRegularFile, 0, path};
    // Looked at again on the file opened, which cannot block: it may have changed in between.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return Refusal{Refusal::Why::CannotRead, 0, QString::fromLocal8Bit(std::strerror(errno))};
    struct stat opened = {};
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(descriptor);
        return Refusal{Refusal::Why::NotRegularFile, 0, path};
    }
    QFile file;
    if (opened.st_size > most || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        if (opened.st_size > most)
            return Refusal{Refusal::Why::TooLarge, 0, {}, most};
        return Refusal{Refusal::Why::CannotRead, 0, file.errorString()};
    }
    bytes = file.read(most + 1);
    if (bytes.size() > most)
        return Refusal{Refusal::Why::TooLarge, 0, {}, most};
    return std::nullopt;
}

int lineAt(const QByteArray &bytes, qsizetype at)
{
    const QByteArray before = bytes.left(at);
    return int(before.count('\n') + before.count('\r') - before.count("\r\n")) + 1;
}

Text decode(const QByteArray &bytes)
{
    if (bytes.size() > MostTextBytes)
        return {{}, Encoding::Utf8, Refusal{Refusal::Why::TooLarge, 0, {}, MostTextBytes}};
    Text result = decodeBytes(bytes);
    if (!result.refusal && lineBreaks(result.text) >= MostLines)
        result.refusal = Refusal{Refusal::Why::TooManyLines, 0, {}, MostLines};
    return result;
}

QString cleaned(const QString &text)
{
    return text.simplified().normalized(QString::NormalizationForm_C);
}

std::optional<Note> fault(const QString &text, int line)
{
    for (const QChar c : text) {
        if (isInvisible(c))
            return Note{Note::What::ControlCharacter, line,
                        {QStringLiteral("U+%1").arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'))}};
    }
    if (text.size() > MostFieldCharacters)
        return Note{Note::What::TooLong, line, {beginning(text)}};
    return std::nullopt;
}

std::optional<Refusal> Room::take(int line, std::initializer_list<const QString *> texts)
{
    qint64 size = framing;
    for (const QString *text : texts)
        size += writtenSize(*text);
    if (count == most)
        return Refusal{Refusal::Why::TooManyItems, line, {}, most};
    if (bytes + size > MostLessonText)
        return Refusal{Refusal::Why::TooMuchText, line, {}, MostLessonText};
    ++count;
    bytes += size;
    return std::nullopt;
}

bool DrillItems::take(int line, const QString &rawWord, const QString &rawAnswer)
{
    const QString word = cleaned(rawWord);
    const QString answer = cleaned(rawAnswer);
    if (const std::optional<Note> left = leftOut(line, word, answer)) {
        report.notes.push_back(*left);
        return true;
    }
    if ((full = room.take(line, {&word, &answer})))
        return false;
    itemOfWord.insert(word, items.size());
    items.push_back({word, answer});
    report.takenLines.push_back(line);
    return true;
}

std::optional<Note> DrillItems::leftOut(int line, const QString &word, const QString &answer) const
{
    if (word.isEmpty())
        return Note{Note::What::NoWord, line, {answer}};
    if (answer.isEmpty())
        return Note{Note::What::NoAnswer, line, {word}};
    if (std::optional<Note> left = fault(word, line))
        return left;
    if (std::optional<Note> left = fault(answer, line))
        return left;
    // A word is one item of the record: it has one answer.
    const auto had = itemOfWord.constFind(word);
    if (had != itemOfWord.cend() && items[*had].answer != answer)
        return Note{Note::What::AnotherAnswer, line, {word, answer}, report.takenLines[*had]};
    return std::nullopt;
}

bool SentenceRows::take(int line, const Sentence &raw)
{
    const Sentence sentence{cleaned(raw.before), cleaned(raw.answer), cleaned(raw.after), cleaned(raw.cue)};
    if (const std::optional<Note> left = leftOut(line, sentence)) {
        report.notes.push_back(*left);
        return true;
    }
    if ((full = room.take(line, {&sentence.before, &sentence.answer, &sentence.after, &sentence.cue})))
        return false;
    lineOfSentence.insert(whole(sentence), line);
    rows.push_back({sentence.before, sentence.cue, QString(), sentence.answer, sentence.after, QString()});
    report.takenLines.push_back(line);
    return true;
}

QString SentenceRows::whole(const Sentence &sentence)
{
    return sentence.before + u' ' + sentence.answer + u' ' + sentence.after;
}

std::optional<Note> SentenceRows::leftOut(int line, const Sentence &sentence) const
{
    if (sentence.answer.isEmpty())
        return Note{Note::What::NoRightAnswer, line};
    for (const QString *text : {&sentence.before, &sentence.answer, &sentence.after, &sentence.cue}) {
        if (std::optional<Note> left = fault(*text, line))
            return left;
    }
    if (const auto had = lineOfSentence.constFind(whole(sentence)); had != lineOfSentence.cend())
        return Note{Note::What::SameSentence, line, {}, *had};
    return std::nullopt;
}

} // namespace Import

namespace Import {

namespace {

constexpr int MostBasic = 20;

LessonModel::Exercise exercise(LessonModel::Shape shape, const QString &description, const QString &heading)
{
    LessonModel::Exercise made;
    made.id = QStringLiteral("1");
    made.caption = QStringLiteral("&1");
    made.description = description;
    made.heading = heading;
    made.shape = shape;
    return made;
}

} // namespace

LessonModel::Exercise drillExercise(std::vector<LessonModel::WordItem> items, const QString &description,
                                    const QString &heading)
{
    LessonModel::Exercise made = exercise(LessonModel::Shape::SuffixDrill, description, heading);
    LessonModel::SuffixDrill drill;
    drill.basic = std::min(int(items.size()), MostBasic);
    drill.items = std::move(items);
    made.content = std::move(drill);
    return made;
}

LessonModel::Exercise sentenceExercise(std::vector<LessonModel::SentenceRow> rows, const QString &description,
                                       const QString &heading)
{
    LessonModel::Exercise made = exercise(LessonModel::Shape::Sentences, description, heading);
    LessonModel::SentenceExercise sentences;
    sentences.basic = std::min(int(rows.size()), MostBasic);
    sentences.rows = std::move(rows);
    made.content = std::move(sentences);
    return made;
}

Imported finished(Report report, const std::optional<Refusal> &full, std::optional<LessonModel::Exercise> exercise)
{
    Imported imported;
    imported.report = std::move(report);
    if (full)
        imported.refusal = full;
    else if (imported.report.takenLines.empty())
        imported.refusal = Refusal{Refusal::Why::NothingTaken};
    else
        imported.exercise = std::move(exercise);
    return imported;
}

Imported refused(const Refusal &refusal, Report report)
{
    Imported imported;
    imported.refusal = refusal;
    imported.report = std::move(report);
    return imported;
}

} // namespace Import
