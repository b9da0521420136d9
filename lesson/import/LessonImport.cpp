#include "LessonImport.h"

#include "GiftImport.h"
#include "ImportText.h"
#include "KvtmlImport.h"
#include "WordListImport.h"
#include "common/Logging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>

namespace Import {

namespace {

std::optional<Kind> kindByName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"csv" || suffix == u"tsv")
        return Kind::WordList;
    if (suffix == u"kvtml")
        return Kind::Kvtml;
    if (suffix == u"gift")
        return Kind::Gift;
    return std::nullopt;
}

Imported imported(const QString &path, const QString &fromLanguage)
{
    const bool text = QFileInfo(path).suffix().toLower() == u"txt";
    std::optional<Kind> kind = kindByName(path);
    if (!kind && !text)
        return refused({Refusal::Why::UnknownKind, 0, path});
    QByteArray bytes;
    if (const std::optional<Refusal> refusal = readFile(path, kind == Kind::Kvtml ? MostKvtmlBytes : MostTextBytes, bytes))
        return refused(*refusal);
    switch (*kindOf(path, bytes)) {
    case Kind::WordList:
        return wordList(bytes);
    case Kind::Kvtml:
        return kvtml(bytes, fromLanguage);
    case Kind::Gift:
        return gift(bytes);
    }
    return {};
}

// A lesson id from a file's name: its letters and digits, lower case, the rest as -.
QString idFrom(const QString &name)
{
    constexpr int MostCharacters = 32;
    QString id;
    for (const QChar c : name.toLower()) {
        if (c.isLetterOrNumber())
            id += c;
        else if (!id.isEmpty() && !id.endsWith(u'-'))
            id += u'-';
    }
    id = id.left(MostCharacters);
    while (id.endsWith(u'-'))
        id.chop(1);
    return id.isEmpty() ? QStringLiteral("import") : id;
}

// A lesson's title from a file's title or name: its visible characters, not too many.
QString titleFrom(const QString &text)
{
    constexpr int MostCharacters = 60;
    QString title;
    for (const QChar c : cleaned(text)) {
        if (!fault(QString(c), 0))
            title += c;
    }
    return title.left(MostCharacters).trimmed();
}

} // namespace

std::optional<Kind> kindOf(const QString &path, const QByteArray &bytes)
{
    if (const std::optional<Kind> kind = kindByName(path))
        return kind;
    if (QFileInfo(path).suffix().toLower() == u"txt")
        return bytes.contains('{') ? Kind::Gift : Kind::WordList;
    return std::nullopt;
}

Imported file(const QString &path, const QString &fromLanguage)
{
    Imported result = imported(path, fromLanguage);
    // The command line prints what it is told; the program's windows have the journal too.
    if (result.refusal && QCoreApplication::instance())
        qCWarning(logLesson, "%s:%d: %s", qUtf8Printable(path), result.refusal->line, qUtf8Printable(describe(*result.refusal)));
    return result;
}

LessonModel::Lesson lessonOf(LessonModel::Exercise exercise, const QString &source, const QString &title)
{
    const QString name = QFileInfo(source).completeBaseName();
    LessonModel::Lesson lesson;
    lesson.id = QStringLiteral("%1-%2").arg(idFrom(name)).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    lesson.title = titleFrom(title).isEmpty() ? titleFrom(name) : titleFrom(title);
    if (lesson.title.isEmpty())
        lesson.title = lesson.id;
    lesson.language = QStringLiteral("hu");
    lesson.exercises.push_back(std::move(exercise));
    return lesson;
}

} // namespace Import
