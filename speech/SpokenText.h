#pragma once

#include <QString>

// Text as it is spoken: what the learner reads, joined as they see it, without
// the marks a voice would read out.
namespace SpokenText {

// Blanks collapsed, none before a full stop or comma, no brackets or ellipses.
QString clean(const QString &shown);
// The sentence of `text` that holds the characters from `from` to `to`: from just
// after the previous full stop, question or exclamation mark to the next one.
QString sentenceAround(const QString &text, qsizetype from, qsizetype to);

} // namespace SpokenText
