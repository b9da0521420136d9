#include "GiftImport.h"

#include "ImportText.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace Import {

namespace {

// GIFT's escapes: a backslash before any of these makes it plain text.
const QString Escaped = QStringLiteral("{}=~#:\\");

QString unescaped(QStringView text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < text.size() && (Escaped.contains(text.at(i + 1)) || text.at(i + 1) == u'n'))
            plain += text.at(++i) == u'n' ? QChar(u'\n') : text.at(i);
        else
            plain += c;
    }
    return plain;
}

// Where `what` first stands in `text` from `from`, not behind a backslash; -1 where it does not.
qsizetype findPlain(QStringView text, QStringView what, qsizetype from = 0)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text.at(i) == u'\\')
            ++i;
        else if (text.sliced(i).startsWith(what))
            return i;
    }
    return -1;
}

// A question as its lines give it: the text, and where each of its lines starts in it.
struct Question
{
    QString text;
    std::vector<std::pair<qsizetype, int>> lines; // offset in the text, line in the file

    int lineAt(qsizetype offset) const
    {
        const auto after = std::upper_bound(lines.begin(), lines.end(), offset,
                                            [](qsizetype at, const auto &line) { return at < line.first; });
        return std::prev(after)->second;
    }
    int line() const { return lines.front().second; }
};

// The questions of the file: blank lines between them, comment lines (//) and categories
// ($CATEGORY:) no part of one.
std::vector<Question> questionsOf(const QString &text)
{
    std::vector<Question> questions;
    bool open = false;
    const QStringList lines =
        QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n').split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        if (trimmed.isEmpty()) {
            open = false;
            continue;
        }
        if (trimmed.startsWith(QStringLiteral("//")) || trimmed.startsWith(QStringLiteral("$CATEGORY:")))
            continue;
        if (!open)
            questions.emplace_back();
        open = true;
        Question &question = questions.back();
        if (!question.text.isEmpty())
            question.text += u'\n';
        question.lines.push_back({question.text.size(), int(i) + 1});
        question.text += lines[i];
    }
    return questions;
}

// The answers between a gap's braces.
struct Answers
{
    Note::What leftOut = Note::What::NoRightAnswer; // why the question is no sentence, where it is not
    QStringList right;
    QStringList others;
};

void addAnswer(QChar mark, QStringView raw, Answers &answers)
{
    // Feedback follows a #; a weight (%50%) comes first: only a whole answer is right.
    const qsizetype feedback = findPlain(raw, u"#");
    QStringView text = feedback < 0 ? raw : raw.first(feedback);
    int weight = mark == u'=' ? 100 : 0;
    if (text.trimmed().startsWith(u'%')) {
        text = text.trimmed();
        const qsizetype end = text.indexOf(u'%', 1);
        weight = end > 0 ? text.sliced(1, end - 1).toInt() : weight;
        text = end > 0 ? text.sliced(end + 1) : text;
    }
    const QString answer = cleaned(unescaped(text));
    if (!answer.isEmpty())
        (weight == 100 ? answers.right : answers.others) << answer;
}

Answers answersOf(QStringView block)
{
    Answers answers;
    const QStringView trimmed = block.trimmed();
    const qsizetype feedback = findPlain(trimmed, u"#");
    const QString head = unescaped(feedback < 0 ? trimmed : trimmed.first(feedback)).trimmed().toUpper();
    if (trimmed.startsWith(u'#'))
        answers.leftOut = Note::What::Numeric;
    else if (head == u"T" || head == u"F" || head == u"TRUE" || head == u"FALSE")
        answers.leftOut = Note::What::TrueFalse;
    else if (findPlain(trimmed, u"->") >= 0)
        answers.leftOut = Note::What::Matching;
    if (answers.leftOut != Note::What::NoRightAnswer)
        return answers;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        const bool end = i == trimmed.size();
        if (!end && trimmed.at(i) == u'\\') {
            ++i;
            continue;
        }
        if (end || trimmed.at(i) == u'=' || trimmed.at(i) == u'~') {
            if (start >= 0)
                addAnswer(trimmed.at(start), trimmed.sliced(start + 1, i - start - 1), answers);
            start = i;
        }
    }
    return answers;
}

// Reads one question into the rows, or notes why it is left out.
class QuestionReader
{
public:
    QuestionReader(const Question &question, Report &report, SentenceRows &rows)
        : question(question), text(question.text), report(report), rows(rows)
    {
    }

    bool read()
    {
        qsizetype at = title();
        at = afterFormat(at);
        const std::optional<std::pair<qsizetype, qsizetype>> gap = onlyGap(at);
        if (!gap)
            return true;
        const Answers answers = answersOf(QStringView(text).sliced(gap->first + 1, gap->second - gap->first - 1));
        if (answers.right.isEmpty()) {
            report.notes.push_back({answers.leftOut, question.line()});
            return true;
        }
        const std::size_t taken = report.takenLines.size();
        const Sentence sentence{unescaped(QStringView(text).sliced(at, gap->first - at)), answers.right.first(),
                                unescaped(QStringView(text).sliced(gap->second + 1)), cue};
        if (!rows.take(question.line(), sentence))
            return false;
        if (report.takenLines.size() > taken)
            noteLeftOver(answers);
        return true;
    }

private:
    // ::title:: before the text, the sentence's cue.
    qsizetype title()
    {
        if (!text.startsWith(QStringLiteral("::")))
            return 0;
        const qsizetype end = findPlain(text, u"::", 2);
        if (end < 0)
            return 0;
        cue = unescaped(QStringView(text).sliced(2, end - 2));
        return end + 2;
    }

    // The text's format ([html], [moodle], [plain], [markdown]) is no part of it.
    qsizetype afterFormat(qsizetype at) const
    {
        const QStringView rest = QStringView(text).sliced(at).trimmed();
        for (const char *format : {"[html]", "[moodle]", "[plain]", "[markdown]"}) {
            if (rest.startsWith(QLatin1String(format)))
                return text.indexOf(QLatin1String(format), at) + qsizetype(std::strlen(format));
        }
        return at;
    }

    // The braces of the one gap, balanced; otherwise the question is noted.
    std::optional<std::pair<qsizetype, qsizetype>> onlyGap(qsizetype from)
    {
        std::vector<std::pair<qsizetype, qsizetype>> gaps;
        qsizetype open = -1;
        for (qsizetype i = from; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == u'\\') {
                ++i;
            } else if (c == u'{' && open >= 0) {
                return leaveOut(Note::What::BraceNeverClosed, question.lineAt(open));
            } else if (c == u'{') {
                open = i;
            } else if (c == u'}' && open < 0) {
                return leaveOut(Note::What::BraceNeverOpened, question.lineAt(i));
            } else if (c == u'}') {
                gaps.push_back({open, i});
                open = -1;
            }
        }
        if (open >= 0)
            return leaveOut(Note::What::BraceNeverClosed, question.lineAt(open));
        if (gaps.empty())
            return leaveOut(Note::What::NoGap, question.line());
        if (gaps.size() > 1)
            return leaveOut(Note::What::SeveralGaps, question.line(), int(gaps.size()));
        return gaps.front();
    }

    std::nullopt_t leaveOut(Note::What what, int line, int number = 0)
    {
        report.notes.push_back({what, line, {}, number});
        return std::nullopt;
    }

    void noteLeftOver(const Answers &answers)
    {
        if (answers.right.size() > 1)
            report.notes.push_back({Note::What::OtherRightAnswers, question.line(), answers.right.mid(1)});
        if (!answers.others.isEmpty())
            report.notes.push_back({Note::What::Choices, question.line(), answers.others});
    }

    const Question &question;
    const QString &text;
    Report &report;
    SentenceRows &rows;
    QString cue;
};

} // namespace

Imported gift(const QByteArray &bytes)
{
    const Text decoded = decode(bytes);
    Report report;
    report.encoding = decoded.encoding;
    if (decoded.refusal)
        return refused(*decoded.refusal, std::move(report));
    SentenceRows rows(report);
    for (const Question &question : questionsOf(decoded.text)) {
        if (!QuestionReader(question, report, rows).read())
            break;
    }
    const QString fill = QCoreApplication::translate("Import", "Fill in the gap of each sentence.");
    return finished(std::move(report), rows.refusal(), sentenceExercise(std::move(rows.rows), fill, fill));
}

} // namespace Import
