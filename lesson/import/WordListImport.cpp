#include "WordListImport.h"

#include "ImportText.h"

#include <QCoreApplication>
#include <QSet>

namespace Import {

namespace {

struct Row
{
    int line = 0;
    QStringList fields;
    bool quoteOpen = false; // a quoted field runs to the end of the text
};

// The rows of a CSV text one by one, fields in quotes as RFC 4180 has them (a quote
// doubled inside, line breaks kept), each row with the line it starts on.
class Rows
{
public:
    Rows(const QString &text, QChar separator) : text(text), separator(separator) {}

    bool atEnd() const { return at >= text.size(); }
    int lines() const { return line; }

    Row next()
    {
        Row row;
        row.line = line;
        for (;;) {
            row.fields << (peek() == u'"' ? quoted(row.quoteOpen) : plain());
            if (peek() != separator)
                break;
            ++at;
        }
        lineBreak();
        return row;
    }

private:
    QChar peek() const { return at < text.size() ? text.at(at) : QChar(); }
    bool atLineBreak() const { return peek() == u'\n' || peek() == u'\r'; }

    void lineBreak()
    {
        if (peek() == u'\r' && at + 1 < text.size() && text.at(at + 1) == u'\n')
            ++at;
        if (atLineBreak()) {
            ++at;
            ++line;
        }
    }

    QString plain()
    {
        const qsizetype start = at;
        while (!atEnd() && peek() != separator && !atLineBreak())
            ++at;
        return text.sliced(start, at - start);
    }

    // A field in quotes, and what a careless program wrote after its closing quote.
    QString quoted(bool &open)
    {
        QString value;
        for (++at;; ++at) {
            if (atEnd()) {
                open = true;
                return value;
            }
            const QChar c = text.at(at);
            if (c == u'"' && at + 1 < text.size() && text.at(at + 1) == u'"') {
                value += c;
                ++at;
            } else if (c == u'"') {
                ++at;
                return value + plain();
            } else {
                if (c == u'\n' || (c == u'\r' && (at + 1 >= text.size() || text.at(at + 1) != u'\n')))
                    ++line;
                value += c;
            }
        }
    }

    const QString &text;
    QChar separator;
    qsizetype at = 0;
    int line = 1;
};

constexpr QChar Separators[] = {u'\t', u';', u','};

// The separator that the first lines have most often, outside quotes: a tab before a
// semicolon (a Hungarian spreadsheet's CSV) before a comma.
QChar separatorOf(const QString &text)
{
    constexpr int LinesLooked = 20;
    int linesWith[3] = {};
    int onLine[3] = {};
    int lines = 0;
    bool quoted = false;
    const auto endLine = [&] {
        for (int k = 0; k < 3; ++k)
            linesWith[k] += onLine[k] > 0 ? 1 : 0;
        std::fill(std::begin(onLine), std::end(onLine), 0);
        ++lines;
    };
    for (qsizetype i = 0; i < text.size() && lines < LinesLooked; ++i) {
        const QChar c = text.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'\n')
            endLine();
        else if (!quoted)
            for (int k = 0; k < 3; ++k)
                onLine[k] += c == Separators[k] ? 1 : 0;
    }
    endLine();
    return Separators[std::max_element(std::begin(linesWith), std::end(linesWith)) - std::begin(linesWith)];
}

// The names a header row gives the two columns, in English and Hungarian.
bool isHeader(const Row &row)
{
    static const QSet<QString> names{
        QStringLiteral("word"),      QStringLiteral("words"),    QStringLiteral("answer"),   QStringLiteral("answers"),
        QStringLiteral("cue"),       QStringLiteral("term"),     QStringLiteral("definition"), QStringLiteral("question"),
        QStringLiteral("solution"),  QStringLiteral("front"),    QStringLiteral("back"),     QStringLiteral("english"),
        QStringLiteral("german"),    QStringLiteral("hungarian"), QStringLiteral("translation"), QStringLiteral("meaning"),
        QStringLiteral("szó"),       QStringLiteral("szavak"),   QStringLiteral("válasz"),   QStringLiteral("megoldás"),
        QStringLiteral("kérdés"),    QStringLiteral("magyar"),   QStringLiteral("angol"),    QStringLiteral("német"),
        QStringLiteral("jelentés"),  QStringLiteral("fordítás"), QStringLiteral("alapszó"),  QStringLiteral("alak")};
    return row.fields.size() >= 2 && names.contains(cleaned(row.fields[0]).toCaseFolded()) &&
           names.contains(cleaned(row.fields[1]).toCaseFolded());
}

bool isBlank(const Row &row)
{
    return std::all_of(row.fields.begin(), row.fields.end(), [](const QString &field) { return cleaned(field).isEmpty(); });
}

// A spreadsheet would take a cell that starts so for a formula.
bool looksLikeFormula(const QString &field)
{
    const QString text = cleaned(field);
    return !text.isEmpty() && QStringLiteral("=+-@").contains(text.front());
}

// Fields after the word and the answer, said once where they start, with how many rows have them.
class FieldsBeyond
{
public:
    explicit FieldsBeyond(Report &report) : report(report) {}
    void look(const Row &row)
    {
        if (std::all_of(row.fields.begin() + std::min<qsizetype>(2, row.fields.size()), row.fields.end(),
                        [](const QString &field) { return cleaned(field).isEmpty(); }))
            return;
        if (!noted) {
            noted = report.notes.size();
            report.notes.push_back({Note::What::FieldsBeyondSecond, row.line});
        }
        ++report.notes[*noted].number;
    }

private:
    Report &report;
    std::optional<std::size_t> noted;
};

void noteFormulas(const Row &row, Report &report)
{
    for (int k = 0; k < 2 && k < row.fields.size(); ++k) {
        if (looksLikeFormula(row.fields[k]))
            report.notes.push_back({Note::What::Formula, row.line, {cleaned(row.fields[k])}});
    }
}

// A spreadsheet's own first line that names the separator: sep=;
std::optional<QChar> separatorNamed(const QString &text)
{
    const QString first = text.section(u'\n', 0, 0).trimmed();
    if (first.size() == 5 && first.startsWith(QStringLiteral("sep=")))
        return first.back();
    return std::nullopt;
}

Imported fromText(const QString &text, Report report)
{
    const std::optional<QChar> named = separatorNamed(text);
    report.separator = named.value_or(separatorOf(text));
    Rows rows(text, report.separator);
    if (named)
        rows.next();
    DrillItems items(report);
    FieldsBeyond beyond(report);
    bool first = true;
    while (!rows.atEnd()) {
        const Row row = rows.next();
        if (row.quoteOpen) {
            // The last line break ends the last line; no line follows it.
            const int last = rows.lines() - (text.endsWith(u'\n') || text.endsWith(u'\r') ? 1 : 0);
            report.notes.push_back({Note::What::QuoteNeverClosed, row.line, {}, last - row.line + 1});
            break;
        }
        if (isBlank(row))
            continue;
        if (std::exchange(first, false) && isHeader(row)) {
            report.notes.push_back({Note::What::Header, row.line});
            continue;
        }
        beyond.look(row);
        const std::size_t taken = report.takenLines.size();
        if (!items.take(row.line, row.fields.value(0), row.fields.value(1)))
            break;
        if (report.takenLines.size() > taken)
            noteFormulas(row, report);
    }
    return finished(std::move(report), items.refusal(),
                    drillExercise(std::move(items.items), QCoreApplication::translate("Import", "Write the answer to each word."),
                                  QCoreApplication::translate("Import", "Write the answer to each word.")));
}

} // namespace

Imported wordList(const QByteArray &bytes)
{
    const Text decoded = decode(bytes);
    Report report;
    report.encoding = decoded.encoding;
    if (decoded.refusal)
        return refused(*decoded.refusal, std::move(report));
    return fromText(decoded.text, std::move(report));
}

} // namespace Import
