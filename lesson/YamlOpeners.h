#pragma once

#include <QByteArray>

#include <vector>

// A teacher's commonest YAML slips are a [, a { or a quote opened and never closed.
// yaml-cpp notices one only where the text stops making sense, often lines below and
// in its own words; this scan, run once the parser has failed, finds the opener itself
// as a person reading the file would: by quotes, escapes, comments, block texts (| and >)
// and the indentation of the lines that follow.
namespace YamlOpeners {

struct Opener
{
    qsizetype at = 0; // its byte in the text
    char mark = '[';  // [, {, " or '
};

// The openers that the first slip of `text` leaves unclosed, each at or before byte
// `stoppedAt` (where the parser stopped; negative: anywhere). Empty when the text shows
// no such slip there, and the parser's own words are the best there are.
std::vector<Opener> unclosed(const QByteArray &text, qsizetype stoppedAt);

} // namespace YamlOpeners
