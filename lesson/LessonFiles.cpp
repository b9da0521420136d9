#include "LessonFiles.h"

#include "LessonHistory.h"
#include "LessonSource.h"
#include "ReaderInterface.h"
#include "common/Logging.h"
#include "common/ProgramModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>

namespace {

// The module's functions, in the order they are asked for.
enum ReaderFunction : std::size_t { Read, MakeSpelling, FreeSpelling, Write, ReadText };

const ProgramModule &readerModule()
{
    static const ProgramModule module("bimbala-reader", "reader", ReaderInterface::Interface,
                                      {ReaderInterface::ReadName, ReaderInterface::MakeSpellingName,
                                       ReaderInterface::FreeSpellingName, ReaderInterface::WriteName,
                                       ReaderInterface::ReadTextName});
    return module;
}

LessonReader::Reading cannotRead(const QString &name)
{
    return {std::nullopt, {{name, 1, 1, QStringLiteral("lessons cannot be read: %1").arg(readerModule().missing())}}};
}

LessonReader::Reading readWith(const QString &path, LessonSpelling *spelling)
{
    const auto read = readerModule().function<ReaderInterface::Read>(Read);
    if (!read)
        return cannotRead(path);
    LessonReader::Reading reading;
    read(path, spelling, reading);
    return reading;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LessonFiles", text);
}

// A picture of the lesson as the lesson names it, and its SVG text.
struct Picture
{
    QString file;
    QByteArray bytes;
};

std::vector<Picture> picturesOf(const LessonModel::Lesson &lesson)
{
    std::vector<Picture> pictures;
    const auto add = [&pictures](const QString &file, const QByteArray &bytes) {
        if (!file.isEmpty() && !bytes.isEmpty())
            pictures.push_back({file, bytes});
    };
    for (const LessonModel::Pictogram &pictogram : lesson.pictograms)
        add(pictogram.file, pictogram.picture);
    for (const LessonModel::Exercise &exercise : lesson.exercises) {
        add(exercise.menuPictureFile, exercise.menuPicture);
        if (const auto *story = std::get_if<LessonModel::Story>(&exercise.content)) {
            for (const LessonModel::StoryPicture &picture : story->pictures)
                add(picture.file, picture.picture);
        }
    }
    return pictures;
}

// Whether `path` is `folder` or inside it, compared name by name (both canonical).
bool isWithin(const QString &path, const QString &folder)
{
    const QStringList names = path.split(u'/', Qt::SkipEmptyParts);
    const QStringList folderNames = folder.split(u'/', Qt::SkipEmptyParts);
    return names.size() >= folderNames.size() && std::equal(folderNames.begin(), folderNames.end(), names.begin());
}

// Whether writing to `target` writes inside `folder`: named inside it, and the nearest part
// of it that exists (the file, a link, a folder in between) really lies there, links followed.
// A link that leads nowhere would be written through to where it points.
bool staysInside(const QString &target, const QString &folder)
{
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    for (QString part = target; isWithin(part, folder); part = QFileInfo(part).path()) {
        const QFileInfo info(part);
        if (info.isSymLink() || info.exists()) {
            const QString real = info.canonicalFilePath();
            return !real.isEmpty() && isWithin(real, canonicalFolder);
        }
    }
    return false;
}

// Whether the regular file at `path` holds exactly `bytes`.
bool holds(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(bytes.size() + 1) == bytes;
}

// A file to be written in place of the one there, once every one of them could be.
class PendingFile
{
public:
    explicit PendingFile(const QString &path) : file(path) {}
    QString path() const { return file.fileName(); }

    // Empty when written in full; otherwise the system's reason. A write cut short (the disk
    // filling up) is tried on, so that the system says why.
    QString write(const QByteArray &bytes)
    {
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        for (qint64 written = 0; written < bytes.size();) {
            const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
            if (more <= 0)
                return file.errorString();
            written += more;
        }
        return file.flush() ? QString() : file.errorString();
    }
    QString commit() { return file.commit() ? QString() : file.errorString(); }

private:
    QSaveFile file;
};

QString notWritten(const QString &path, const QString &why)
{
    return tr("The lesson was not saved: %1 cannot be written (%2). The lesson file is as it was.").arg(path, why);
}

// The pictures that are not beside the lesson already, written out but not yet in place;
// a sentence when one cannot be.
QString preparePictures(const LessonModel::Lesson &lesson, const QString &folder,
                        std::vector<std::unique_ptr<PendingFile>> &pending)
{
    QStringList planned;
    for (const Picture &picture : picturesOf(lesson)) {
        const QString target = QDir::cleanPath(folder + u'/' + picture.file);
        if (planned.contains(target))
            continue;
        planned << target;
        if (QFileInfo(picture.file).isAbsolute() || !staysInside(target, folder))
            return tr("The lesson was not saved: its picture %1 is outside the lesson's folder, and pictures are written "
                      "only beside the lesson file.")
                .arg(picture.file);
        const QFileInfo there(target);
        if (there.exists() && !there.isFile())
            return tr("The lesson was not saved: where its picture %1 goes there is a folder, a device or a pipe.")
                .arg(picture.file);
        if (there.exists() && holds(target, picture.bytes))
            continue;
        QDir().mkpath(there.path());
        pending.push_back(std::make_unique<PendingFile>(target));
        if (const QString why = pending.back()->write(picture.bytes); !why.isEmpty())
            return notWritten(target, why);
    }
    return {};
}

QString saved(const LessonModel::Lesson &lesson, const QString &path)
{
    const QByteArray text = LessonFiles::write(lesson);
    if (text.isEmpty())
        return tr("The lesson was not saved: lessons cannot be written, as %1.").arg(readerModule().missing());
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return tr("The lesson was not saved: there is no folder %1.").arg(folder);
    std::vector<std::unique_ptr<PendingFile>> pending;
    if (const QString problem = preparePictures(lesson, folder, pending); !problem.isEmpty())
        return problem;
    pending.push_back(std::make_unique<PendingFile>(path));
    if (const QString why = pending.back()->write(text); !why.isEmpty())
        return notWritten(path, why);
    // Every file is written in full: each takes the place of the one before, the lesson last.
    for (const std::unique_ptr<PendingFile> &file : pending) {
        if (const QString why = file->commit(); !why.isEmpty())
            return notWritten(file->path(), why);
    }
    return {};
}

} // namespace

namespace LessonFiles {

LessonReader::Reading read(const QString &path)
{
    return readWith(path, nullptr);
}

LessonReader::Reading read(const QByteArray &text, const QString &name, const QString &folder)
{
    const auto read = readerModule().function<ReaderInterface::ReadText>(ReadText);
    if (!read)
        return cannotRead(name);
    LessonReader::Reading reading;
    read(text, name, folder, reading);
    return reading;
}

QByteArray write(const LessonModel::Lesson &lesson, LessonLines *lines)
{
    QByteArray text;
    if (const auto write = readerModule().function<ReaderInterface::Write>(Write))
        write(lesson, text, lines);
    return text;
}

Checked check(const LessonModel::Lesson &lesson)
{
    Checked found;
    // The lesson's pictures as it holds them, beside its text in a folder of the check's own.
    QTemporaryDir folder;
    for (const Picture &picture : picturesOf(lesson)) {
        const QString target = QDir::cleanPath(folder.path() + u'/' + picture.file);
        if (QFileInfo(picture.file).isAbsolute() || !staysInside(target, folder.path()))
            continue; // the reader says where such a picture is
        QDir().mkpath(QFileInfo(target).path());
        QFile file(target);
        if (file.open(QIODevice::WriteOnly))
            file.write(picture.bytes);
    }
    const QByteArray text = write(lesson, &found.lines);
    found.problems = read(text, QStringLiteral("lesson.yaml"), folder.path()).problems;
    return found;
}

QString save(const LessonModel::Lesson &lesson, const QString &path)
{
    const QString problem = saved(lesson, path);
    // The command line prints what it is told; the program's windows have the journal too.
    if (!problem.isEmpty() && QCoreApplication::instance())
        qCWarning(logLesson, "%s", qUtf8Printable(problem));
    return problem;
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
    if (const auto make = readerModule().function<ReaderInterface::MakeSpelling>(MakeSpelling))
        spelling = make(dictionary, why);
}

Checker::~Checker()
{
    if (spelling)
        readerModule().function<ReaderInterface::FreeSpelling>(FreeSpelling)(spelling);
}

LessonReader::Reading Checker::read(const QString &path)
{
    return readWith(path, spelling);
}

} // namespace LessonFiles
