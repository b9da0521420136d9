#include "SpokenText.h"

#include <QRegularExpression>

namespace SpokenText {

namespace {

bool endsSentence(QChar c)
{
    return c == u'.' || c == u'?' || c == u'!';
}

} // namespace

QString clean(const QString &shown)
{
    static const QRegularExpression marks(QStringLiteral("[()\\[\\]…]|\\.\\.\\.+"));
    static const QRegularExpression blankBeforeStop(QStringLiteral("\\s+([.,;:?!])"));
    QString text = shown;
    text.remove(marks);
    text = text.simplified();
    text.replace(blankBeforeStop, QStringLiteral("\\1"));
    return text;
}

QString sentenceAround(const QString &text, qsizetype from, qsizetype to)
{
    qsizetype start = from;
    while (start > 0 && !endsSentence(text.at(start - 1)))
        --start;
    qsizetype end = std::max(to, from);
    while (end < text.size() && !endsSentence(text.at(end)))
        ++end;
    return text.mid(start, std::min(end + 1, text.size()) - start).trimmed();
}

} // namespace SpokenText
