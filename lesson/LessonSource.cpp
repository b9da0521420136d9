#include "LessonSource.h"

#include "common/Logging.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

// Enough of a broken file's problems to find the first ones; the rest are counted.
const int ProblemsShown = 5;

} // namespace

void LessonSource::startWith(const QString &file)
{
    pending = file;
    if (pending != BuiltIn)
        pendingReading = QtConcurrent::run([file] { return LessonFiles::read(file); });
}

const LessonModel::Lesson &LessonSource::lesson()
{
    if (!read) {
        if (pending != BuiltIn) {
            const LessonProblems problems = open(pendingReading.result(), pending);
            if (!problems.empty())
                whyNotStarted = describe(
                    QStringLiteral("The lesson %1 could not be opened, so lesson 7 is open:").arg(pending), problems);
        }
        if (!read) {
            LessonReader::Reading reading = LessonFiles::read(BuiltIn);
            // The built-in lesson is checked by the tests; a problem here is a broken build.
            if (!reading.lesson)
                qFatal("%s", qPrintable(reading.problems.front().text()));
            play(std::move(*reading.lesson), BuiltIn);
        }
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
        // The learner is shown the first few; the journal keeps every one.
        for (const LessonProblem &problem : reading.problems)
            qCWarning(logLesson, "%s", qUtf8Printable(problem.text()));
        return reading.problems;
    }
    play(std::move(*reading.lesson), file);
    return {};
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
        lines << QStringLiteral("... and %1 more.").arg(problems.size() - std::size_t(ProblemsShown));
    return lines.join(u'\n');
}
