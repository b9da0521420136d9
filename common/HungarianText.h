#pragma once

#include <QString>

namespace HungarianText {

// The letters õ û Õ Û are how older Hungarian text stored ő ű Ő Ű: a learner who
// types or pastes them means the Hungarian letters. Text from a Hungarian keyboard
// layout, dead keys or compose is brought to composed form (NFC) so it compares
// equal to the same letters typed through the key translation.
QString normalised(const QString &text);

// What an answer box holds of whatever reached it: tabs, line breaks and other
// control characters are blanks (a box shows them as blanks, so they are judged as
// blanks), half a character left by a cut paste is dropped, and the letters are
// normalised as above.
QString asAnswer(const QString &text);

// Removes blanks (spaces) at both ends, nothing else.
QString trimBlanks(const QString &text);

// Shrinks every run of blanks to one blank, in one pass.
QString collapseBlanks(const QString &text);

} // namespace HungarianText
