#pragma once

#include <QString>
#include <QStringList>

namespace Csv {

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote or a
// line break, quotes doubled. A field that a spreadsheet would take for a
// formula (it starts with =, +, -, @, a tab or a carriage return) gets a leading apostrophe.
QString field(const QString &text);
// A record: its fields joined by commas, ended by CR LF.
QString record(const QStringList &fields);

} // namespace Csv
