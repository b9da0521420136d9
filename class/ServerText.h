#pragma once

#include <QString>
#include <QVariant>

// Text as read from a class server, fit to be shown or printed: any learner can send
// an item, and a server may say anything, so no control character (Unicode's Cc:
// terminal escapes, bells, carriage returns) nor bidirectional override or isolate
// (which turn the text after it around) reaches a window, a terminal or a CSV file.
// Each becomes U+FFFD, so that the teacher sees that something was there.
inline QString serverText(const QVariant &value)
{
    QString text = value.toString();
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control || (c >= u'\u202a' && c <= u'\u202e') || (c >= u'\u2066' && c <= u'\u2069'))
            c = QChar::ReplacementCharacter;
    return text;
}
