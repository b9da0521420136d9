#include "ImportCommand.h"

#include "common/Counted.h"
#include "lesson/LessonFiles.h"
#include "lesson/import/LessonImport.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

QString line(const QString &text)
{
    return LessonProblem::visible(text) + u'\n';
}

QString at(const QString &file, int lineNumber)
{
    return lineNumber > 0 ? QStringLiteral("%1:%2").arg(file).arg(lineNumber) : file;
}

// How the file was read, as its report has it.
QString howRead(const QString &source, const Import::Report &report)
{
    if (!report.fromLanguage.isEmpty())
        return tr("%1: words from %2 to %3.").arg(source, report.fromLanguage, report.toLanguage);
    if (report.separator == u'\t')
        return tr("%1: read as %2, fields separated by tabs.").arg(source, Import::describe(report.encoding));
    if (!report.separator.isNull())
        return tr("%1: read as %2, fields separated by \"%3\".").arg(source, Import::describe(report.encoding), report.separator);
    return tr("%1: read as %2.").arg(source, Import::describe(report.encoding));
}

QString taken(const QString &source, const QString &target, const LessonModel::Lesson &lesson)
{
    const LessonModel::Exercise &exercise = lesson.exercises.front();
    if (const auto *drill = std::get_if<LessonModel::SuffixDrill>(&exercise.content))
        return counted("CommandLine", QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n word taken into %2, lesson %3."),
                       QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n words taken into %2, lesson %3."), int(drill->items.size()))
            .arg(source, target, lesson.id);
    const auto &sentences = std::get<LessonModel::SentenceExercise>(exercise.content);
    return counted("CommandLine", QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n sentence taken into %2, lesson %3."),
                   QT_TRANSLATE_N_NOOP("CommandLine", "%1: %n sentences taken into %2, lesson %3."), int(sentences.rows.size()))
        .arg(source, target, lesson.id);
}

// The lesson as the reader will read it from its file, checked before the file is written.
QString problemsOf(const LessonModel::Lesson &lesson, const QString &target)
{
    const LessonReader::Reading reading =
        LessonFiles::read(LessonFiles::write(lesson), target, QFileInfo(target).absolutePath());
    QString problems;
    for (const LessonProblem &problem : reading.problems)
        problems += line(problem.text());
    return problems;
}

} // namespace

CommandLine importLesson(const QString &source, const QString &target, const QString &fromLanguage)
{
    if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
        return CommandLine::ending(1, {}, line(tr("bimbala: %1 is there already; --import writes a new lesson file.").arg(target)));
    const Import::Imported imported = Import::file(source, fromLanguage);
    QString output;
    if (!imported.refusal || !imported.report.takenLines.empty() || !imported.report.notes.empty())
        output += line(howRead(source, imported.report));
    for (const Import::Note &note : imported.report.notes)
        output += line(QStringLiteral("%1: %2").arg(at(source, note.line), Import::describe(note)));
    if (imported.refusal)
        return CommandLine::ending(1, output,
                                   line(QStringLiteral("%1: %2").arg(at(source, imported.refusal->line),
                                                                     Import::describe(*imported.refusal))));
    const LessonModel::Lesson lesson = Import::lessonOf(*imported.exercise, source, imported.title);
    if (const QString problems = problemsOf(lesson, target); !problems.isEmpty())
        return CommandLine::ending(1, output, problems);
    if (const QString problem = LessonFiles::save(lesson, target); !problem.isEmpty())
        return CommandLine::ending(1, output, line(problem));
    return CommandLine::ending(0, output + line(taken(source, target, lesson)), {});
}
