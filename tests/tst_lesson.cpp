// Lesson files: lesson 7's file holds the lesson the windows play, every rule of
// the reader reports where the file breaks it, and no file, however broken,
// makes the reader crash or hang.
#include "exercises/frame/Exercise.h"
#include "lesson/LessonReader.h"
#include "progress/ProgressSchema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Lesson7 = QStringLiteral(":/lessons/lesson7/lesson7.yaml");

// A small lesson that keeps every rule; each row of the check test breaks one.
const char *const Clean = R"(format: 1
lesson:
  id: "test"
  title: "T. lecke"
exercises:
  - id: "1"
    caption: "&1"
    description: "Put in the suffixes."
    heading: "Put in the suffixes."
    shape: suffix-drill
    suffix: "-nál/-nél"
    basic: 1
    items:
      - ["orvos", "orvosnál"]
  - id: "2"
    caption: "&2"
    description: "A story."
    heading: "2. A story."
    shape: picture-story
    persons: ["Laci", "én", "te"]
    layout:
      row-tops: [2280]
      gap-font: "Times New Roman"
      piece-font: "Times New Roman"
      heading-place: [120, 540, 3855, 375]
      person-place: [4680, 540, 1095, 375]
    pictures:
      - {file: "a.svg", scene: "a house"}
      - {file: "b.svg", scene: "a bus"}
    gaps:
      - {kind: "al", offer: "kilép", answers: ["kilép", "kilépek", "kilépsz"], place: [0, 3000, 1215], picture: 0}
)";

// The first problem, for a failure's message.
QString first(const LessonReader::Reading &reading)
{
    return reading.problems.empty() ? QString() : reading.problems.front().text();
}

const QByteArray Svg = "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect width='10' height='10'/></svg>";

} // namespace

class tst_Lesson : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;

    LessonReader::Reading read(const QByteArray &text) const
    {
        return LessonReader::read(text, QStringLiteral("test.yaml"), folder.path());
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *name : {"a.svg", "b.svg"}) {
            QFile file(folder.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(Svg) == Svg.size());
        }
        QFile notSvg(folder.filePath(QStringLiteral("note.svg")));
        QVERIFY(notSvg.open(QIODevice::WriteOnly) && notSvg.write("a note, not a picture") > 0);
        QVERIFY2(read(Clean).problems.empty(), qPrintable(first(read(Clean))));
    }

    // Lesson 7's file keeps every rule, and its exercises are the go-to grid's.
    void lesson7IsClean()
    {
        const LessonReader::Reading reading = LessonReader::read(Lesson7);
        QVERIFY2(reading.problems.empty(), qPrintable(first(reading)));
        const LessonModel::Lesson &lesson = *reading.lesson;
        QCOMPARE(lesson.title, QStringLiteral("7. lecke"));
        // What was recorded before answers named their lesson stays lesson 7's.
        QCOMPARE(lesson.id, QLatin1String(ProgressSchema::FirstLesson));
        QCOMPARE(lesson.exercises.size(), AllExercises.size());
        for (Exercise exercise : AllExercises) {
            const LessonModel::Exercise &read = lesson.exercises[std::size_t(indexOf(exercise))];
            QCOMPARE(read.caption, goToCaption(exercise));
            QCOMPARE(read.id, exerciseCode(exercise));
        }
    }

    // Every rule the reader keeps, broken once: where it is said, and what.
    void problemsSayWhere_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("said");
        QTest::newRow("syntax") << QByteArray("[\"orvos\", \"orvosnál\"]") << QByteArray("[\"orvos\", \"orvosnál\"")
                                << "test.yaml:15:3: illegal block entry";
        QTest::newRow("missing field") << QByteArray("  title: \"T. lecke\"\n") << QByteArray()
                                       << "test.yaml:3:3: the lesson has no \"title\"";
        QTest::newRow("misspelt key") << QByteArray("    heading: \"Put") << QByteArray("    headin: \"Put")
                                      << "test.yaml:9:5: unknown key \"headin\" in an exercise";
        QTest::newRow("empty answer") << QByteArray("\"orvosnál\"") << QByteArray("\" \"")
                                      << "test.yaml:14:9: an item has an empty word or answer";
        QTest::newRow("same exercise twice") << QByteArray("id: \"2\"") << QByteArray("id: \"1\"")
                                             << "test.yaml:15:5: a second exercise \"1\"";
        QTest::newRow("an answer short") << QByteArray(", \"kilépsz\"]") << QByteArray("]")
                                         << "test.yaml:31:48: gap 1 has 2 answers for 3 persons";
        QTest::newRow("picture missing") << QByteArray("b.svg") << QByteArray("c.svg")
                                         << "test.yaml:29:16: the picture c.svg cannot be read";
        QTest::newRow("picture no SVG") << QByteArray("b.svg") << QByteArray("note.svg")
                                        << "test.yaml:29:16: the picture note.svg is no SVG picture";
        QTest::newRow("access keys clash") << QByteArray("\"&2\"") << QByteArray("\"2&1\"")
                                           << "test.yaml:15:5: the access key \"1\" of \"2&1\" is also that of \"&1\"";
        QTest::newRow("unknown kind") << QByteArray("kind: \"al\"") << QByteArray("kind: \"x\"")
                                      << "test.yaml:31:16: gap 1: unknown kind \"x\"";
        QTest::newRow("basic run too long") << QByteArray("basic: 1") << QByteArray("basic: 2")
                                            << "test.yaml:12:12: the basic run asks 2 items, but there are 1";
        QTest::newRow("not UTF-8") << QByteArray("orvosnál\"]") << QByteArray("orvosn\xe1l\"]")
                                   << "test.yaml:14:1: the line is not UTF-8 text";
        QTest::newRow("over 5 MB") << QByteArray("format: 1\n")
                                   << QByteArray("format: 1\n") + QByteArray("# filler\n").repeated(600000)
                                   << "test.yaml:1:1: the file is larger than 5 MB";
    }

    void problemsSayWhere()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, said);
        const QByteArray text = QByteArray(Clean).replace(from, to);
        QVERIFY(text != Clean);
        const LessonReader::Reading reading = read(text);
        QVERIFY(!reading.lesson);
        QStringList problems;
        for (const LessonProblem &problem : reading.problems)
            problems << problem.text();
        QVERIFY2(std::any_of(problems.begin(), problems.end(), [&said](const QString &p) { return p.startsWith(said); }),
                 qPrintable(problems.join(u'\n')));
    }

    // The command line checks files as the program reads them: each problem on a
    // line of its own, and a status that says whether all were clean.
    void checkOnTheCommandLine()
    {
        QFile broken(folder.filePath(QStringLiteral("broken.yaml")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(Clean).replace("  title: \"T. lecke\"\n", ""));
        broken.close();
        QProcess check;
        check.start(QStringLiteral(BIMBALA_EXECUTABLE), {QStringLiteral("--check"), broken.fileName()});
        QVERIFY(check.waitForFinished(30000));
        QCOMPARE(check.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(check.readAllStandardOutput()),
                 broken.fileName() + QStringLiteral(":3:3: the lesson has no \"title\"\n"));
    }

    // Thousands of damaged copies of lesson 7's file: flipped bytes, cut ends,
    // lines repeated and dropped. Each is read to its end, quickly, with its
    // problems or as a lesson, and never brings the program down.
    // BIMBALA_LESSON_FUZZ=N reads N of them (default 1000).
    void damagedFilesEndQuietly()
    {
        QFile file(Lesson7);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        const QList<QByteArray> lines = original.split('\n');
        const int rounds = qEnvironmentVariableIntValue("BIMBALA_LESSON_FUZZ") > 0
                               ? qEnvironmentVariableIntValue("BIMBALA_LESSON_FUZZ")
                               : 1000;
        QRandomGenerator dice(7);
        QElapsedTimer slowest;
        qint64 longest = 0;
        int broken = 0;
        for (int round = 0; round < rounds; ++round) {
            QByteArray damaged;
            switch (dice.bounded(4)) {
            case 0:
                damaged = original;
                for (int flips = 1 + int(dice.bounded(8)); flips > 0; --flips)
                    damaged[dice.bounded(damaged.size())] = char(dice.bounded(256));
                break;
            case 1:
                damaged = original.left(dice.bounded(original.size()));
                break;
            default:
                for (const QByteArray &line : lines) {
                    const quint32 fate = dice.bounded(100);
                    if (fate >= 3)
                        damaged += line + '\n';
                    if (fate >= 97)
                        damaged += line + '\n';
                }
            }
            slowest.start();
            const LessonReader::Reading reading = LessonReader::read(damaged, QStringLiteral("damaged.yaml"),
                                                                     QStringLiteral(":/lessons/lesson7"));
            longest = std::max(longest, slowest.elapsed());
            QVERIFY(reading.lesson.has_value() != !reading.problems.empty());
            broken += !reading.lesson;
        }
        qInfo("%d damaged files read, %d with problems, the slowest in %lld ms", rounds, broken, longest);
        QVERIFY(longest < 2000);
    }
};

QTEST_MAIN(tst_Lesson)
#include "tst_lesson.moc"
