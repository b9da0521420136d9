// What the reader module exports to the program.
#include "ReaderInterface.h"

#include "LessonSpelling.h"
#include "LessonWriter.h"
#include "common/ProgramModule.h"

BIMBALA_MODULE_IDENTITY(ReaderInterface::Interface)

extern "C" Q_DECL_EXPORT void bimbala_read_lesson(const QString &path, LessonSpelling *spelling, LessonReader::Reading &reading)
{
    reading = LessonReader::read(path, spelling);
}

extern "C" Q_DECL_EXPORT LessonSpelling *bimbala_make_spelling(const QString &dictionary, QString &missing)
{
    auto *spelling = new LessonSpelling(dictionary);
    missing = spelling->missing();
    return spelling;
}

extern "C" Q_DECL_EXPORT void bimbala_free_spelling(LessonSpelling *spelling)
{
    delete spelling;
}

extern "C" Q_DECL_EXPORT void bimbala_write_lesson(const LessonModel::Lesson &lesson, QByteArray &text, LessonLines *lines)
{
    text = LessonWriter::write(lesson, lines);
}

extern "C" Q_DECL_EXPORT void bimbala_read_lesson_text(const QByteArray &text, const QString &name, const QString &folder,
                                                       LessonReader::Reading &reading)
{
    reading = LessonReader::read(text, name, folder);
}
