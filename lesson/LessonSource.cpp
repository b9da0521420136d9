#include "LessonSource.h"

#include "LessonReader.h"

const LessonModel::Lesson &LessonSource::lesson()
{
    if (!read) {
        LessonReader::Reading reading = LessonReader::read(BuiltIn);
        // The built-in lesson is checked by the tests; a problem here is a broken build.
        if (!reading.lesson)
            qFatal("%s", qPrintable(reading.problems.front().text()));
        read = std::move(reading.lesson);
        if (loaded)
            loaded(*read);
    }
    return *read;
}

void LessonSource::use(LessonModel::Lesson lesson)
{
    read = std::move(lesson);
    if (loaded)
        loaded(*read);
}
