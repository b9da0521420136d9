#pragma once

#include <QSqlError>
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

// What a server or libpq said (an error's text, which often runs over several lines:
// "FATAL: terminating connection due to administrator command\nSSL connection has been
// closed unexpectedly"), as one line that a status line or a sentence can hold: blanks
// and tabs run together, each line break is a blank where the line before ends a
// clause or the line after goes on in lower case ("...abnormally\n\tbefore or while..."),
// and "; " where a new message begins; any other control character is handled as
// serverText handles it.
inline QString serverLine(const QString &text)
{
    QString line;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool lineEnds = i == text.size() || text[i] == u'\n' || text[i] == u'\r' || text[i] == u'\v' ||
                              text[i] == u'\f' || text[i] == u'\u0085' || text[i] == u'\u2028' || text[i] == u'\u2029';
        if (!lineEnds)
            continue;
        const QString part = text.mid(start, i - start).simplified();
        start = i + 1;
        if (part.isEmpty())
            continue;
        if (!line.isEmpty()) {
            const bool goesOn = QStringLiteral(".,:;!?").contains(line.back()) || part.front().isLower();
            line += goesOn ? QStringLiteral(" ") : QStringLiteral("; ");
        }
        line += part;
    }
    return serverText(line);
}

// What went wrong with a statement or a connection, in the server's (or libpq's) words
// as one line, without the SQLSTATE in brackets that Qt's driver puts after them
// (empty where libpq had none); Qt's own words where there are no others.
inline QString serverLine(const QSqlError &error)
{
    QString said = error.databaseText().trimmed();
    if (const QString code = u'(' + error.nativeErrorCode() + u')'; said.endsWith(code))
        said.chop(code.size());
    const QString line = serverLine(said);
    return line.isEmpty() ? serverLine(error.driverText()) : line;
}
