#include "Csv.h"

namespace Csv {

QString field(const QString &text)
{
    QString value = text;
    // A spreadsheet skips a leading tab or carriage return and reads the formula behind it.
    if (!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front()))
        value.prepend(u'\'');
    const bool quoted = value.contains(u',') || value.contains(u'"') || value.contains(u'\n') || value.contains(u'\r');
    if (!quoted)
        return value;
    value.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + value + u'"';
}

QString record(const QStringList &fields)
{
    QStringList written;
    written.reserve(fields.size());
    for (const QString &text : fields)
        written << field(text);
    return written.join(u',') + QStringLiteral("\r\n");
}

} // namespace Csv
