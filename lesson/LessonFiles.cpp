#include "LessonFiles.h"

#include "LessonHistory.h"
#include "LessonSource.h"
#include "ReaderInterface.h"
#include "common/ProgramModule.h"

#include <algorithm>

namespace {

const ProgramModule &readerModule()
{
    static const ProgramModule module("bimbala-reader", "reader", ReaderInterface::Interface,
                                      {ReaderInterface::ReadName, ReaderInterface::MakeSpellingName,
                                       ReaderInterface::FreeSpellingName});
    return module;
}

LessonReader::Reading readWith(const QString &path, LessonSpelling *spelling)
{
    const auto read = readerModule().function<ReaderInterface::Read>(0);
    if (!read)
        return {std::nullopt, {{path, 1, 1, QStringLiteral("lessons cannot be read: %1").arg(readerModule().missing())}}};
    LessonReader::Reading reading;
    read(path, spelling, reading);
    return reading;
}

} // namespace

namespace LessonFiles {

LessonReader::Reading read(const QString &path)
{
    return readWith(path, nullptr);
}

std::vector<LessonModel::Lesson> knownLessons(const QString &except)
{
    const LessonHistory history;
    QStringList files = QStringList{LessonSource::BuiltIn, history.last()} + history.recent();
    files.removeAll(QString());
    files.removeAll(except);
    files.removeDuplicates();
    std::vector<LessonModel::Lesson> found;
    for (const QString &file : files) {
        LessonReader::Reading reading = read(file);
        if (reading.lesson && std::none_of(found.begin(), found.end(), [&](const auto &had) { return had.id == reading.lesson->id; }))
            found.push_back(std::move(*reading.lesson));
    }
    return found;
}

Checker::Checker(const QString &dictionary)
{
    if (const auto make = readerModule().function<ReaderInterface::MakeSpelling>(1))
        spelling = make(dictionary, why);
}

Checker::~Checker()
{
    if (spelling)
        readerModule().function<ReaderInterface::FreeSpelling>(2)(spelling);
}

LessonReader::Reading Checker::read(const QString &path)
{
    return readWith(path, spelling);
}

} // namespace LessonFiles
