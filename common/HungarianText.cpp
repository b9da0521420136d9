#include "HungarianText.h"

namespace HungarianText {

QString normalised(const QString &text)
{
    QString result = text.normalized(QString::NormalizationForm_C);
    result.replace(u'õ', u'ő').replace(u'û', u'ű').replace(u'Õ', u'Ő').replace(u'Û', u'Ű');
    return result;
}

QString asAnswer(const QString &text)
{
    QString cleaned;
    cleaned.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cleaned += ch;
            cleaned += text.at(++i);
        } else if (ch.isSurrogate()) {
            continue;
        } else if (ch.category() == QChar::Other_Control || ch == QChar::LineSeparator ||
                   ch == QChar::ParagraphSeparator) {
            cleaned += u' ';
        } else {
            cleaned += ch;
        }
    }
    return normalised(cleaned);
}

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

QString collapseBlanks(const QString &text)
{
    QString collapsed;
    collapsed.reserve(text.size());
    for (const QChar ch : text) {
        if (ch != u' ' || !collapsed.endsWith(u' '))
            collapsed += ch;
    }
    return collapsed;
}

} // namespace HungarianText
