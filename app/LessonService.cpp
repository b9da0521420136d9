#include "LessonService.h"

#include "common/InBackground.h"
#include "common/WhenDone.h"

#include <QFileInfo>

namespace {

// The lesson to start with as read on its thread: lesson 7 in its place when it could not
// be read, and its problems then.
struct StartReading
{
    LessonReader::Reading reading;
    QString file;
    LessonProblems problems;
};

StartReading readStart(const QString &file)
{
    StartReading start{LessonFiles::read(file), file, {}};
    if (!start.reading.lesson && file != LessonSource::BuiltIn) {
        start.problems = start.reading.problems;
        start.reading = LessonFiles::read(LessonSource::BuiltIn);
        start.file = LessonSource::BuiltIn;
    }
    return start;
}

} // namespace

void LessonService::startWith(const QString &commandLineFile)
{
    startFile = commandLineFile.isEmpty() ? lessons.last() : commandLineFile;
    startFromCommandLine = !commandLineFile.isEmpty();
}

void LessonService::beginReading()
{
    if (startReading || playing.hasLesson())
        return;
    startReading = true;
    whenDone(inBackground([file = startFile.isEmpty() ? LessonSource::BuiltIn : startFile] { return readStart(file); }),
             &alive, [this](StartReading start) {
        startRead(std::move(start.reading), start.file, start.problems);
        startReading = false;
        for (const std::function<void()> &then : std::exchange(waiting, {}))
            then();
    });
}

void LessonService::readStartNow()
{
    if (startReading || playing.hasLesson() || startFile.isEmpty())
        return;
    StartReading start = readStart(startFile);
    startRead(std::move(start.reading), start.file, start.problems);
}

void LessonService::startRead(LessonReader::Reading reading, const QString &file, const LessonProblems &problems)
{
    playing.open(std::move(reading), file);
    LessonSource::logProblems(problems);
    if (!problems.empty())
        whyNotStarted = LessonSource::describe(tr("The lesson %1 could not be opened, so lesson 7 is open:").arg(startFile),
                                               problems);
}

void LessonService::whenReady(std::function<void()> then)
{
    readStartNow();
    if (startReading)
        waiting.push_back(std::move(then));
    else
        then();
}

QString LessonService::settleStart()
{
    if (startSettled || startFile.isEmpty() || startReading)
        return {};
    startSettled = true;
    if (whyNotStarted.isEmpty()) {
        // A lesson named on the command line is the one chosen last.
        if (startFromCommandLine)
            lessons.chose(startFile, playing.lesson().title);
        return {};
    }
    // A lesson that is gone is not looked for again at start; a broken one may be mended meanwhile.
    if (!QFileInfo::exists(startFile))
        lessons.notFound(startFile);
    return whyNotStarted;
}

void LessonService::open(const QString &file, std::function<void(const QString &problem)> done)
{
    const int asked = ++opensAsked;
    whenDone(inBackground([file] { return LessonFiles::read(file); }), &alive,
             [this, file, asked, done = std::move(done)](LessonReader::Reading reading) {
        if (asked != opensAsked)
            return;
        const QString playedTitle = playing.lesson().title;
        const LessonProblems problems = playing.open(std::move(reading), file);
        if (!problems.empty()) {
            if (!QFileInfo::exists(file))
                lessons.notFound(file);
            done(LessonSource::describe(tr("The lesson %1 cannot be opened; %2 stays open:").arg(file, playedTitle), problems));
            return;
        }
        lessons.chose(file == LessonSource::BuiltIn ? QString() : file, playing.lesson().title);
        done({});
    });
}
