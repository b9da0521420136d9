#include "LessonSource.h"

#include "common/Logging.h"

#include <QCoreApplication>

namespace {

// Enough of a broken file's problems to find the first ones; the rest are counted.
const int ProblemsShown = 5;

} // namespace

const LessonModel::Lesson &LessonSource::lesson()
{
    if (!read) {
        LessonReader::Reading reading = LessonFiles::read(BuiltIn);
        // The built-in lesson is checked by the tests; a problem here is a broken build
        // (or a reader module missing, which the problem says).
        if (!reading.lesson)
            qFatal("%s", qPrintable(reading.problems.front().text()));
        play(std::move(*reading.lesson), BuiltIn);
    }
    return *read;
}

const QString &LessonSource::file()
{
    lesson();
    return readFile;
}

LessonProblems LessonSource::open(const QString &file)
{
    return open(LessonFiles::read(file), file);
}

LessonProblems LessonSource::open(LessonReader::Reading reading, const QString &file)
{
    if (!reading.lesson) {
        logProblems(reading.problems);
        return reading.problems;
    }
    play(std::move(*reading.lesson), file);
    return {};
}

void LessonSource::logProblems(const LessonProblems &problems)
{
    // The learner is shown the first few; the journal keeps every one.
    for (const LessonProblem &problem : problems)
        qCWarning(logLesson, "%s", qUtf8Printable(problem.text()));
}

void LessonSource::play(LessonModel::Lesson lesson, const QString &file)
{
    read = std::move(lesson);
    readFile = file;
    if (loaded)
        loaded(*read);
}

QString LessonSource::describe(const QString &heading, const LessonProblems &problems)
{
    QStringList lines{heading};
    for (std::size_t i = 0; i < problems.size() && i < std::size_t(ProblemsShown); ++i)
        lines << problems[i].text();
    if (problems.size() > std::size_t(ProblemsShown))
        lines << QCoreApplication::translate("LessonSource", "... and %1 more.").arg(problems.size() - std::size_t(ProblemsShown));
    return lines.join(u'\n');
}
