#include "HungarianText.h"

namespace HungarianText {

QString normalised(const QString &text)
{
    QString result = text.normalized(QString::NormalizationForm_C);
    result.replace(u'õ', u'ő').replace(u'û', u'ű').replace(u'Õ', u'Ő').replace(u'Û', u'Ű');
    return result;
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

} // namespace HungarianText
