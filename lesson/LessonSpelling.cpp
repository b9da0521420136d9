#include "LessonSpelling.h"

#include "common/Counted.h"

#include <hunspell.hxx>

#include <QFileInfo>
#include <QLocale>
#include <QSet>

namespace {

// The keys whose texts are Hungarian, at any depth: ids, captions, headings, file
// names and scenes are not.
const QSet<QString> HungarianKeys{
    QStringLiteral("items"),  QStringLiteral("before"),         QStringLiteral("cue"),
    QStringLiteral("offer"),  QStringLiteral("answer"),         QStringLiteral("after"),
    QStringLiteral("answers"), QStringLiteral("also-right"),    QStringLiteral("offer-at-start"),
    QStringLiteral("text"),   QStringLiteral("text-at-start"),
};
// Enough warnings for a teacher to act on; the rest are counted.
constexpr int MostWarnings = 100;
// A longer "word" is no word of the language (and would keep the dictionary busy).
constexpr qsizetype LongestWord = 60;
// The dictionary takes some 15 µs for a word, 70 µs for a long made-up one: a lesson of
// 10,000 items is spelt in a fraction of this, a file of nothing but different words stops.
constexpr qint64 MostMilliseconds = 500;

// The bytes of `c` in UTF-8 (a surrogate half counts half of its four).
int utf8Bytes(QChar c)
{
    return c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 || c.isSurrogate() ? 2 : 3;
}

// Where the `nth` (from 1) `word` stands in `source` from `from`; `from` when not found
// (a text written with escapes). Quoting and folding keep the words of a text in order.
int placeOf(const QByteArray &source, int from, qsizetype span, const QByteArray &word, int nth)
{
    const QByteArrayView window = QByteArrayView(source).sliced(from, std::min<qsizetype>(span, source.size() - from));
    qsizetype at = -1;
    for (int n = 0; n < nth; ++n) {
        at = window.indexOf(word, at + 1);
        if (at < 0)
            return from;
    }
    return from + int(at);
}

} // namespace

class LessonSpelling::Walk
{
public:
    Walk(LessonSpelling &spelling, const QByteArray &source, YamlReport &report)
        : spelling(spelling), source(source), report(report)
    {
    }

    void node(const YAML::Node &node, bool hungarian)
    {
        if (node.IsMap()) {
            for (auto it = node.begin(); it != node.end(); ++it)
                this->node(it->second, hungarian || (it->first.IsScalar() &&
                                                     HungarianKeys.contains(QString::fromStdString(it->first.Scalar()))));
        } else if (node.IsSequence()) {
            for (const YAML::Node &item : node)
                this->node(item, hungarian);
        } else if (node.IsScalar() && hungarian) {
            text(node);
        }
    }

    void finish()
    {
        if (spelling.outOfTime())
            report.warning(int(source.size()), QStringLiteral("the spelling was checked for the first %1 different words only")
                                                   .arg(QLocale(QLocale::English).toString(spelling.spelt.size())));
        if (unknown > MostWarnings)
            report.warning(int(source.size()),
                           counted("LessonSpelling", QT_TRANSLATE_N_NOOP("LessonSpelling", "%n more unknown word is not shown"),
                                   QT_TRANSLATE_N_NOOP("LessonSpelling", "%n more unknown words are not shown"),
                                   unknown - MostWarnings));
    }

private:
    // The words of a text: letters and digits, joined by hyphens ("7-es", "Kovács-Nagy"),
    // with the full stop after them where that makes a word ("XI.", "stb.").
    void text(const YAML::Node &node)
    {
        const QString text = QString::fromStdString(node.Scalar());
        const auto inWord = [&text](qsizetype i) {
            const QChar c = i >= 0 && i < text.size() ? text.at(i) : QChar();
            return c.isLetterOrNumber() || c.isMark();
        };
        qsizetype start = -1;
        int bytes = 0;
        int startByte = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool letter = inWord(i) || (start >= 0 && i < text.size() && text.at(i) == u'-' && inWord(i + 1));
            if (letter && start < 0) {
                start = i;
                startByte = bytes;
            } else if (!letter && start >= 0) {
                const QString found = text.sliced(start, i - start);
                const bool stop = i < text.size() && text.at(i) == u'.';
                word(node, found, startByte, stop);
                start = -1;
            }
            if (i < text.size())
                bytes += utf8Bytes(text.at(i));
        }
    }

    // A word of `node` at byte `at` of its text: a warning at its first place in the file.
    void word(const YAML::Node &node, const QString &word, int at, bool stopAfter)
    {
        const bool number = std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
        if (number || spelling.known(word) || (stopAfter && spelling.known(word + u'.')) || warned.contains(word))
            return;
        warned.insert(word);
        if (++unknown > MostWarnings)
            return;
        const QByteArray utf8 = word.toUtf8();
        const QByteArrayView before = QByteArrayView(node.Scalar()).first(at + utf8.size());
        const int nth = int(before.count(utf8));
        const int from = std::max(0, node.Mark().pos);
        // The source of a text is longer than the text by its quotes, indentation and escapes.
        const qsizetype span = qsizetype(node.Scalar().size()) * 6 + 64;
        report.warning(placeOf(source, from, span, utf8, nth),
                       QStringLiteral("unknown word \"%1\" (if it is right, add it to \"words\" of the lesson)").arg(word));
    }

    LessonSpelling &spelling;
    const QByteArray &source;
    YamlReport &report;
    QSet<QString> warned;
    int unknown = 0;
};

LessonSpelling::LessonSpelling(const QString &dictionary)
{
    const QString aff = dictionary + QStringLiteral(".aff");
    const QString dic = dictionary + QStringLiteral(".dic");
    if (QFileInfo(aff).isFile() && QFileInfo(dic).isFile())
        hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    else
        why = QStringLiteral("note: the spelling is not checked: there is no Hungarian dictionary %1 "
                             "(Debian's package hunspell-hu)")
                  .arg(dic);
}

LessonSpelling::~LessonSpelling() = default;

bool LessonSpelling::outOfTime() const
{
    return clock.isValid() && clock.elapsed() > MostMilliseconds;
}

bool LessonSpelling::known(const QString &word)
{
    // A word of the lesson's own list, also where it opens a sentence.
    if (!hunspell || ownWords.contains(word) || ownWords.contains(word.front().toLower() + word.sliced(1)))
        return true;
    const auto found = spelt.constFind(word);
    if (found != spelt.constEnd())
        return *found;
    if (outOfTime())
        return true;
    const bool right = word.size() <= LongestWord && hunspell->spell(word.toStdString());
    spelt.insert(word, right);
    return right;
}

void LessonSpelling::check(const YAML::Node &root, const QByteArray &source, YamlReport &report)
{
    if (!hunspell || !root.IsMap())
        return;
    // The lesson's own words are right in this lesson only.
    ownWords.clear();
    clock.start();
    const YAML::Node lesson = root["lesson"];
    const YAML::Node words = lesson.IsDefined() && lesson.IsMap() && lesson["words"].IsDefined() ? lesson["words"] : YAML::Node();
    if (words.IsSequence()) {
        for (const YAML::Node &word : words) {
            if (word.IsScalar())
                ownWords.insert(QString::fromStdString(word.Scalar()));
        }
    }
    Walk walk(*this, source, report);
    walk.node(root, false);
    walk.finish();
}
