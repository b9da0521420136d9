#pragma once

#include "ImportReport.h"

#include <QByteArray>

namespace Import {

// A word list as a spreadsheet saves it, CSV (RFC 4180) or tab-separated, a word and its
// answer a row, as a drill: the separator (tab, semicolon or comma) and a header row found
// by themselves, fields after the second left out.
Imported wordList(const QByteArray &bytes);

} // namespace Import
