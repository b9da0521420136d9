#include "YamlPrecheck.h"

#include "YamlOpeners.h"

#include <yaml-cpp/eventhandler.h>

#include <QCoreApplication>
#include <QLocale>

#include <optional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// The byte where `bytes` stops being UTF-8, or -1 when all of it is.
qsizetype firstNotUtf8(const QByteArray &bytes)
{
    if (QByteArrayView(bytes).isValidUtf8())
        return -1;
    const auto byte = [&bytes](qsizetype at) { return at < bytes.size() ? uchar(bytes.at(at)) : 0; };
    for (qsizetype at = 0; at < bytes.size();) {
        const uchar lead = byte(at);
        // How many bytes follow the lead, and the range the first of them must fall in
        // (so that no character is written longer than it needs, nor beyond U+10FFFF).
        int more = 0;
        uchar low = 0x80, high = 0xBF;
        if (lead < 0x80)
            more = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            more = 1;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else
            return at;
        for (int i = 1; i <= more; ++i) {
            const uchar next = byte(at + i);
            if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
                return at;
        }
        at += 1 + more;
    }
    return -1;
}

QString notUtf8(uchar byte)
{
    const QString hex = QStringLiteral("0x%1").arg(QString::number(byte, 16).toUpper());
    // Editors that save Latin-1 (ISO 8859-1) write á as the one byte 0xE1.
    if (byte >= 0xA0)
        return QStringLiteral("the file is not UTF-8 text: the byte %1 here is \"%2\" in Latin-1; "
                              "save the file as UTF-8")
            .arg(hex, QChar(byte));
    return QStringLiteral("the file is not UTF-8 text: the byte %1 here is no character; save the file as UTF-8").arg(hex);
}

QString controlCharacter(char32_t c)
{
    return QStringLiteral("U+") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
}

// A control character other than tab and line break, as UTF-8 at `at`: its code.
std::optional<char32_t> controlAt(const char *text, std::size_t size, std::size_t at)
{
    const uchar c = uchar(text[at]);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
        return c;
    if (c == 0xC2 && at + 1 < size && uchar(text[at + 1]) >= 0x80 && uchar(text[at + 1]) <= 0x9F)
        return uchar(text[at + 1]);
    return std::nullopt;
}

// The text of the file: UTF-8, no control characters, brackets not nested without end.
bool plainText(const QByteArray &bytes, YamlReport &report)
{
    if (const qsizetype bad = firstNotUtf8(bytes); bad >= 0) {
        report.problem(int(bad), notUtf8(uchar(bytes.at(bad))));
        return false;
    }
    int depth = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (const std::optional<char32_t> control = controlAt(bytes.constData(), std::size_t(bytes.size()), std::size_t(at))) {
            report.problem(int(at), QStringLiteral("an invisible control character (%1) is here: delete it")
                                        .arg(controlCharacter(*control)));
            return false;
        }
        // Counted with no regard to quotes: the brackets of a lesson close soon after they open.
        const char c = bytes.at(at);
        depth = c == '[' || c == '{' ? depth + 1 : c == ']' || c == '}' ? std::max(0, depth - 1) : depth;
        if (depth > YamlPrecheck::MostDepth) {
            report.problem(int(at), QStringLiteral("brackets open more than %1 deep here: is a ] or } missing?")
                                        .arg(YamlPrecheck::MostDepth));
            return false;
        }
    }
    return true;
}

// The tab in the indentation of the last line indented with one, up to `line` (from 0), or -1.
qsizetype tabIndented(const QByteArray &bytes, int line)
{
    qsizetype found = -1;
    qsizetype start = 0;
    for (int n = 0; n <= line && start <= bytes.size(); ++n) {
        for (qsizetype at = start; at < bytes.size() && (bytes.at(at) == ' ' || bytes.at(at) == '\t'); ++at) {
            if (bytes.at(at) == '\t') {
                found = at;
                break;
            }
        }
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            break;
        start = end + 1;
    }
    return found;
}

QString neverClosed(char mark)
{
    if (mark == '[')
        return QCoreApplication::translate("YamlPrecheck", "this [ is never closed: put a ] where its list ends");
    if (mark == '{')
        return QCoreApplication::translate("YamlPrecheck", "this { is never closed: put a } where its mapping ends");
    return QCoreApplication::translate("YamlPrecheck", "this quote is never closed: put a %1 where its text ends")
        .arg(QChar::fromLatin1(mark));
}

// yaml-cpp's words for a syntax error, except where a teacher's slip has plainer ones,
// said where the slip is rather than where the parser gave up.
void syntaxProblem(const QByteArray &bytes, const YAML::Exception &error, YamlReport &report)
{
    if (const qsizetype tab = tabIndented(bytes, error.mark.line); tab >= 0) {
        report.problem(int(tab), QStringLiteral("YAML indents with spaces, not tabs: put spaces in place of this tab"));
        return;
    }
    const std::vector<YamlOpeners::Opener> openers = YamlOpeners::unclosed(bytes, error.mark.pos);
    for (const YamlOpeners::Opener &opener : openers)
        report.problem(int(opener.at), neverClosed(opener.mark));
    if (openers.empty())
        report.problem(error.mark, QString::fromStdString(error.msg));
}

// Reached a limit: the outline stops there.
struct Stop
{
};

class Outline final : public YAML::EventHandler
{
public:
    explicit Outline(YamlReport &report) : report(report) {}

    void OnDocumentStart(const YAML::Mark &mark) override
    {
        if (++documents > 1)
            stop(mark, QStringLiteral("a second YAML document starts here: everything from this --- on would be "
                                      "left out; a lesson is one document"));
    }
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark &mark, YAML::anchor_t anchor) override { part(mark, anchor, 1, 0, Kind::Null); }
    void OnAlias(const YAML::Mark &mark, YAML::anchor_t anchor) override
    {
        const auto found = anchors.find(anchor);
        if (found == anchors.end() || found->second.parts < 0)
            stop(mark, QStringLiteral("this alias repeats the part it stands in, without end"));
        part(mark, 0, found->second.parts, found->second.bytes, Kind::Other);
    }
    void OnScalar(const YAML::Mark &mark, const std::string &tag, YAML::anchor_t anchor, const std::string &value) override
    {
        for (std::size_t at = 0; at < value.size(); ++at) {
            if (const std::optional<char32_t> control = controlAt(value.data(), value.size(), at)) {
                report.problem(mark, QStringLiteral("this text holds an invisible control character (%1, written as "
                                                    "an escape): delete it")
                                         .arg(controlCharacter(*control)));
                break;
            }
        }
        // `[:"ház"]` is read as the text `:"ház"`, not as the word in quotes.
        if (tag == "?" && value.starts_with(':'))
            report.problem(mark, QStringLiteral("a text starting with \":\": is a key missing before it, "
                                                "or a comma or quotes around it?"));
        part(mark, anchor, 1, qint64(value.size()), Kind::Scalar, &value);
    }
    void OnSequenceStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t anchor, YAML::EmitterStyle::value) override
    {
        open(mark, anchor, false);
    }
    void OnSequenceEnd() override { close(); }
    void OnMapStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t anchor, YAML::EmitterStyle::value) override
    {
        open(mark, anchor, true);
    }
    void OnMapEnd() override { close(); }

private:
    enum class Kind { Null, Scalar, Other };
    struct Size
    {
        long parts = -1; // -1 while the anchored part is still being read
        qint64 bytes = 0;
    };
    struct Collection
    {
        bool map = false;
        bool keyNext = true;
        YAML::anchor_t anchor = 0;
        long partsBefore = 0;
        qint64 bytesBefore = 0;
        std::unordered_map<std::string, int> keyLines; // a key of the map, and its line from 0
    };

    [[noreturn]] void stop(const YAML::Mark &mark, const QString &message)
    {
        report.problem(mark, message);
        throw Stop();
    }

    // A part of the file (`parts` of them when an alias repeats a collection): counted
    // against the limits, and as a key of its map, looked for among the keys before it.
    void part(const YAML::Mark &mark, YAML::anchor_t anchor, long count, qint64 size, Kind kind,
              const std::string *scalar = nullptr)
    {
        parts += count;
        bytes += size;
        if (parts > YamlPrecheck::MostParts)
            stop(mark, QStringLiteral("the file has more than %1 parts (texts, lists and mappings, with what its aliases "
                                      "repeat): far more than any lesson")
                           .arg(QLocale(QLocale::English).toString(qlonglong(YamlPrecheck::MostParts))));
        if (bytes > YamlPrecheck::MostTextBytes)
            stop(mark, QStringLiteral("the texts of the file come to more than %1 MB with what its aliases repeat")
                           .arg(YamlPrecheck::MostTextBytes / (1024 * 1024)));
        if (anchor != 0)
            anchors[anchor] = Size{count, size};
        if (stack.empty() || !stack.back().map)
            return;
        Collection &map = stack.back();
        if (map.keyNext && kind == Kind::Scalar) {
            const auto [first, isNew] = map.keyLines.try_emplace(*scalar, mark.line);
            if (!isNew)
                report.problem(mark, QStringLiteral("the key \"%1\" is given twice in this mapping (first on line %2): "
                                                    "only one value can count")
                                         .arg(QString::fromStdString(*scalar))
                                         .arg(first->second + 1));
        } else if (map.keyNext && kind == Kind::Null) {
            report.problem(mark, QStringLiteral("a key is missing before this \":\""));
        }
        map.keyNext = !map.keyNext;
    }

    void open(const YAML::Mark &mark, YAML::anchor_t anchor, bool map)
    {
        part(mark, 0, 1, 0, Kind::Other);
        if (stack.size() >= std::size_t(YamlPrecheck::MostDepth))
            stop(mark, QStringLiteral("lists and mappings nest more than %1 deep here").arg(YamlPrecheck::MostDepth));
        if (anchor != 0)
            anchors[anchor] = Size{};
        stack.push_back({map, true, anchor, parts - 1, bytes, {}});
    }

    void close()
    {
        const Collection &done = stack.back();
        if (done.anchor != 0)
            anchors[done.anchor] = Size{parts - done.partsBefore, bytes - done.bytesBefore};
        stack.pop_back();
    }

    YamlReport &report;
    int documents = 0;
    long parts = 0;
    qint64 bytes = 0;
    std::vector<Collection> stack;
    std::unordered_map<YAML::anchor_t, Size> anchors;
};

} // namespace

namespace YamlPrecheck {

bool check(const QByteArray &bytes, YamlReport &report)
{
    if (!plainText(bytes, report))
        return false;
    std::istringstream stream(bytes.toStdString());
    YAML::Parser parser(stream);
    Outline outline(report);
    try {
        while (parser.HandleNextDocument(outline)) {
        }
    } catch (const Stop &) {
        return false;
    } catch (const YAML::Exception &error) {
        syntaxProblem(bytes, error, report);
        return false;
    }
    return !report.hasProblems();
}

} // namespace YamlPrecheck
