#include "YamlOpeners.h"

namespace YamlOpeners {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool endsLine(char c)
{
    return c == '\n' || c == '\r';
}

bool isFlowIndicator(char c)
{
    return c == ',' || c == '[' || c == ']' || c == '{' || c == '}';
}

// The text read line by line as YAML reads it, only as far as the first place where an
// opener has plainly lost its closer: a closer of the other kind, a line that leaves the
// brackets it should be inside, a quote that a text goes on right after, the file's end.
class Scan
{
public:
    explicit Scan(const QByteArray &text) : text(text) {}

    std::vector<Opener> firstSlip()
    {
        while (at < text.size() && slip.empty())
            line();
        if (slip.empty())
            leaveOpen(0); // the file has ended with them open
        return slip;
    }

private:
    struct Flow
    {
        Opener opener;
        int lineIndent = 0; // of the line it opened on
    };

    // The character `ahead` of the one being read; past the end, a line end.
    char peek(qsizetype ahead = 0) const
    {
        const qsizetype i = at + ahead;
        return i < text.size() ? text.at(i) : '\n';
    }
    bool blankOrLineEnd(qsizetype ahead) const { return isBlank(peek(ahead)) || endsLine(peek(ahead)); }
    bool inFlow() const { return !flows.empty(); }
    int column() const { return int(at - lineStart); }

    void line();
    void step();
    void startOfNode(char c);
    void withinNode(char c);
    void quoted();
    void blockText();
    void open(char mark);
    void close(char mark);
    void leaveOpen(std::size_t from);
    void startLine(qsizetype start);
    void skipToLineEnd();

    const QByteArray &text;
    qsizetype at = 0;
    qsizetype lineStart = 0;
    int lineIndent = 0;
    int nodeColumn = 0;       // where the key or entry this line is about begins
    bool nodeStart = true;    // a new text, list or mapping may begin here
    bool afterQuoted = false; // a quoted text has just closed: a ":" after it is a key's
    std::vector<Flow> flows;
    std::vector<Opener> slip;
};

void Scan::startLine(qsizetype start)
{
    lineStart = start;
    at = start;
    lineIndent = 0;
    while (peek() == ' ') {
        ++at;
        ++lineIndent;
    }
}

void Scan::skipToLineEnd()
{
    const qsizetype end = text.indexOf('\n', at);
    at = end < 0 ? text.size() : end;
}

void Scan::line()
{
    startLine(at);
    // Blank lines and comments say nothing of where a list or mapping ends.
    if (endsLine(peek()) || peek() == '#') {
        skipToLineEnd();
        ++at;
        return;
    }
    // Brackets that go on over several lines go on indented past the line they opened
    // on; a line that is not belongs to the lesson's outline, so they were left open.
    if (inFlow() && lineIndent <= flows.front().lineIndent && peek() != ']' && peek() != '}') {
        leaveOpen(0);
        return;
    }
    nodeColumn = lineIndent;
    nodeStart = true;
    while (slip.empty() && !endsLine(peek()))
        step();
    skipToLineEnd();
    ++at;
}

void Scan::step()
{
    const char c = peek();
    if (isBlank(c)) {
        ++at;
    } else if (c == '#' && isBlank(text.at(at - 1))) {
        skipToLineEnd();
    } else if (nodeStart) {
        startOfNode(c);
    } else {
        withinNode(c);
    }
}

void Scan::startOfNode(char c)
{
    if (c == '"' || c == '\'') {
        quoted();
    } else if (c == '[' || c == '{') {
        open(c);
    } else if (c == ']' || c == '}') {
        close(c);
        nodeStart = false;
    } else if (c == ',' && inFlow()) {
        ++at;
    } else if (c == '-' && blankOrLineEnd(1) && !inFlow()) {
        nodeColumn = column();
        ++at;
    } else if ((c == ':' || c == '?') && blankOrLineEnd(1)) {
        ++at;
    } else if ((c == '|' || c == '>') && !inFlow()) {
        blockText();
    } else if (c == '&' || c == '!') {
        // An anchor or a tag comes before the node it names.
        while (!blankOrLineEnd(0) && !(inFlow() && isFlowIndicator(peek())))
            ++at;
    } else {
        nodeColumn = column();
        nodeStart = false;
        afterQuoted = false;
        ++at;
    }
}

// Inside a plain text, or after a quoted one or a closer: only what ends them counts.
void Scan::withinNode(char c)
{
    if (c == ':' && (blankOrLineEnd(1) || (inFlow() && (afterQuoted || isFlowIndicator(peek(1)))))) {
        nodeStart = true;
        ++at;
    } else if (inFlow() && c == ',') {
        nodeStart = true;
        ++at;
    } else if (inFlow() && (c == ']' || c == '}')) {
        close(c);
    } else if (inFlow() && (c == '[' || c == '{')) {
        open(c); // a text in brackets cannot hold one
    } else {
        ++at;
    }
    afterQuoted = false;
}

void Scan::quoted()
{
    const Opener opener{at, peek()};
    nodeColumn = column();
    for (++at; at < text.size(); ++at) {
        const char c = text.at(at);
        if (c == '\n') {
            startLine(at + 1);
            --at; // the loop steps onto the line's first character
        } else if (c == '\\' && opener.mark == '"') {
            ++at;
        } else if (c == opener.mark && opener.mark == '\'' && peek(1) == '\'') {
            ++at;
        } else if (c == opener.mark) {
            // Where a text may begin and one goes on at once, this quote opens that text:
            // the opener's own closing quote is missing.
            const char before = text.at(at - 1);
            const bool mayOpen = isBlank(before) || endsLine(before) || before == '[' || before == '{' ||
                                 before == ',' || before == ':';
            const char after = peek(1);
            const bool textGoesOn = !(blankOrLineEnd(1) || after == ',' || after == ']' || after == '}' ||
                                      after == ':' || after == '#');
            if (mayOpen && textGoesOn)
                slip.push_back(opener);
            ++at;
            nodeStart = false;
            afterQuoted = true;
            return;
        }
    }
    slip.push_back(opener); // the file ends inside it
}

// A text after | or >: every line after it that is blank or indented as its first line,
// which is indented past the key or entry it belongs to. Brackets and quotes in it are text.
void Scan::blockText()
{
    const int parent = nodeColumn;
    skipToLineEnd();
    int textIndent = -1;
    for (qsizetype lineEnd = at; lineEnd < text.size();) {
        const qsizetype start = lineEnd + 1;
        qsizetype first = start;
        while (first < text.size() && text.at(first) == ' ')
            ++first;
        if (first < text.size() && !endsLine(text.at(first))) {
            const int indent = int(first - start);
            if (textIndent < 0)
                textIndent = indent;
            if (indent < textIndent || indent <= parent)
                break;
        }
        const qsizetype end = text.indexOf('\n', start);
        lineEnd = end < 0 ? text.size() : end;
        at = lineEnd;
    }
}

void Scan::open(char mark)
{
    flows.push_back({{at, mark}, lineIndent});
    nodeStart = true;
    ++at;
}

// A closer of the other kind closes the opener of its own kind further out, and those
// between were left open; without one further out, it was meant for the innermost.
void Scan::close(char mark)
{
    ++at;
    afterQuoted = false;
    if (!inFlow())
        return; // a stray closer is no opener's slip
    const char opening = mark == ']' ? '[' : '{';
    std::size_t own = flows.size();
    while (own > 0 && flows[own - 1].opener.mark != opening)
        --own;
    if (own == flows.size()) {
        flows.pop_back();
        return;
    }
    leaveOpen(own == 0 ? flows.size() - 1 : own);
}

void Scan::leaveOpen(std::size_t from)
{
    for (std::size_t i = from; i < flows.size(); ++i)
        slip.push_back(flows[i].opener);
}

} // namespace

std::vector<Opener> unclosed(const QByteArray &text, qsizetype stoppedAt)
{
    std::vector<Opener> openers = Scan(text).firstSlip();
    // An opener after the place the parser stopped at did not stop it.
    if (stoppedAt >= 0)
        std::erase_if(openers, [stoppedAt](const Opener &opener) { return opener.at > stoppedAt; });
    return openers;
}

} // namespace YamlOpeners
