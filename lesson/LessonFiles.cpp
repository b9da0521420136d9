#include "LessonFiles.h"

#include "ReaderInterface.h"
#include "common/ProgramModule.h"

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
