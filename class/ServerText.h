#pragma once

#include <QString>

// Text read from a class server is anyone's: a learner may send any item. What could
// act on a terminal or turn text around on screen (control characters, bidirectional
// overrides and isolates) never reaches the learner or the teacher as it came.
namespace ServerText {

inline QString shown(QString text)
{
    for (QChar &ch : text) {
        const char16_t code = ch.unicode();
        if (ch.category() == QChar::Other_Control || (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069))
            ch = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace ServerText
