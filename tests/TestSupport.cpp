#include "TestSupport.h"

#include "record/ProgressSchema.h"

#include "lesson/LessonSource.h"
#include "record/Record.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTest>

void RecordingFeedback::message(QWidget *, const QString &text, Style style, const QString &title)
{
    messages.append({text, style, title});
}

bool RecordingFeedback::confirm(QWidget *, const QString &text, const QString &title)
{
    messages.append({text, Information, title});
    return answerYes;
}

double ScriptedRandom::next()
{
    if (queued.empty())
        return fallback.next();
    const double value = queued.front();
    queued.pop_front();
    return value;
}

namespace TestSupport {

void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 128)
            QTest::keyClick(widget, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void retype(QWidget *lineEdit, const QString &text)
{
    auto *edit = qobject_cast<QLineEdit *>(lineEdit);
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    type(edit, text);
}

void pressEnter(QWidget *widget)
{
    QTest::keyClick(widget, Qt::Key_Return);
}

void withMessageBoxes(const std::function<void()> &step, const std::function<void(QMessageBox *)> &onBox)
{
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&onBox] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            onBox(box);
    });
    watcher.start();
    step();
}

const LessonModel::Lesson &lesson7()
{
    static LessonSource source;
    return source.lesson();
}

const LessonModel::Exercise &lesson7(Exercise exercise)
{
    return lesson7().exercises.at(std::size_t(indexOf(exercise)));
}

const LessonModel::SuffixDrill &drillOf(Exercise exercise)
{
    return std::get<LessonModel::SuffixDrill>(lesson7(exercise).content);
}

const LessonModel::Story &storyOf(Exercise exercise)
{
    return std::get<LessonModel::Story>(lesson7(exercise).content);
}

QString suffixAnswer(Exercise drill, const QString &cue)
{
    for (const LessonModel::WordItem &item : drillOf(drill).items) {
        if (item.cue == cue)
            return item.answer;
    }
    return {};
}

} // namespace TestSupport

QString goToCaption(Exercise exercise)
{
    return TestSupport::lesson7(exercise).caption;
}

QString exerciseCode(Exercise exercise)
{
    return TestSupport::lesson7(exercise).id;
}

const RecordData::Status &TestSupport::settledStatus(Record &record)
{
    record.settled().waitForFinished();
    // What the record's thread said meanwhile reaches the record's object.
    QCoreApplication::sendPostedEvents(&record, QEvent::MetaCall);
    return record.status();
}

QString TestSupport::lesson7Id()
{
    return QLatin1String(ProgressSchema::FirstLesson);
}

QStringList TestSupport::mistakesOf(Record &record, const QString &exercise, RecordData::Scope scope, const QString &lesson)
{
    return record.mistakes(lesson, exercise, scope).result();
}

RecordData::Figures TestSupport::figuresOf(Record &record, const QStringList &exercises, QDate today, const QString &lesson)
{
    return record.figures({lesson, exercises, today, 30, RecordData::Scope::ThisComputer, {}}).result();
}

ProgressRecord::Answer TestSupport::answerOf(const QString &exercise, const QString &item, const QString &expected,
                                             const QString &given, bool right, bool solutionShown, bool retry, qint64 run)
{
    return {lesson7Id(), exercise, item, expected, given, right, solutionShown, retry, run};
}

QList<QStringList> TestSupport::exported(Record &record)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("export.csv"));
    if (record.exportCsv(path, std::make_shared<RecordExport::Progress>()).result().result != RecordData::Exported::Result::Written)
        return {};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (quoted) {
            if (ch == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"')
                field += text.at(++i);
            else if (ch == u'"')
                quoted = false;
            else
                field += ch;
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            fields << field;
            field.clear();
        } else if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            fields << field;
            records << fields;
            fields.clear();
            field.clear();
            ++i;
        } else {
            field += ch;
        }
    }
    return records;
}

TestSupport::ReadOnlyFolder::ReadOnlyFolder(QString path) : folder(std::move(path))
{
    if (geteuid() != 0) {
        ok = QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        return;
    }
    mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), folder, folder}) == 0;
    ok = mounted && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"),
                                                                folder, folder}) == 0;
}

TestSupport::ReadOnlyFolder::~ReadOnlyFolder()
{
    if (mounted)
        QProcess::execute(QStringLiteral("umount"), {folder});
    else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int TestSupport::fsrsCaseRows(const QString &file)
{
    QTest::addColumn<double>("stability");
    QTest::addColumn<double>("difficulty");
    QTest::addColumn<double>("days");
    // The answer, which gives the grade: wrong or shown Again, right after a retry Hard, right Good.
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("retry");
    QTest::addColumn<double>("newStability");
    QTest::addColumn<double>("newDifficulty");
    QFile cases(file);
    if (!cases.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    int rows = 0;
    while (!cases.atEnd()) {
        const QString line = QString::fromUtf8(cases.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u',');
        if (f.size() != 9)
            return -1;
        QTest::newRow(qPrintable(f[0])) << f[1].toDouble() << f[2].toDouble() << f[3].toDouble() << (f[4] == u"1")
                                        << (f[5] == u"1") << (f[6] == u"1") << f[7].toDouble() << f[8].toDouble();
        ++rows;
    }
    return rows;
}
