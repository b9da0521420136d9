// Lesson files: lesson 7's file holds the lesson the windows play, every rule of
// the reader reports where the file breaks it, and no file, however broken,
// makes the reader crash or hang.
#include "common/Pictures.h"
#include "lesson/LessonReader.h"
#include "lesson/LessonSource.h"
#include "lesson/LessonWriter.h"
#include "lesson/LessonSpelling.h"
#include "record/ProgressSchema.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString Lesson7 = QStringLiteral(":/lessons/lesson7/lesson7.yaml");

// A small lesson that keeps every rule, with its pictures; each row of the check test breaks one rule.
const QString Small = QStringLiteral(BIMBALA_TEST_LESSONS "/small");

// The first problem, for a failure's message.
QString first(const LessonReader::Reading &reading)
{
    return reading.problems.empty() ? QString() : reading.problems.front().text();
}

// A PNG chunk: its length, its type, its data and their CRC-32.
QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    const auto bigEndian = [](quint32 n) {
        n = qToBigEndian(n);
        return QByteArray(reinterpret_cast<const char *>(&n), 4);
    };
    quint32 crc = 0xffffffff;
    for (const char byte : type + data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0u - (crc & 1)));
    }
    return bigEndian(quint32(data.size())) + type + data + bigEndian(~crc);
}

// A PNG whose header claims 100,000 x 100,000 pixels, in a few hundred bytes.
QByteArray pngBomb()
{
    const QByteArray header = QByteArray::fromHex("000186a0" "000186a0" "0806000000"); // RGBA, 8 bits
    const QByteArray zeros = qCompress(QByteArray(100000, '\0'), 9).sliced(4); // zlib's stream, without Qt's length
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zeros) + pngChunk("IEND", {});
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image) ? buffer.data() : QByteArray();
}

// A progressive JPEG of 2048 x 2048 pixels whose second scan comes 20,000 times, in some
// 800 KB: its decoder would go over every pixel at each scan.
QByteArray jpegOfManyScans()
{
    QImage grey(2048, 2048, QImage::Format_Grayscale8);
    grey.fill(128);
    const QByteArray jpeg = encoded(grey, "jpeg", true);
    const QByteArray scan("\xff\xda");
    const qsizetype second = jpeg.indexOf(scan, jpeg.indexOf(scan) + 1);
    const qsizetype third = jpeg.indexOf(scan, second + 1);
    return jpeg.first(third) + jpeg.sliced(second, third - second).repeated(20000) + jpeg.sliced(third);
}

bool written(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

qint64 peakKilobytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class tst_Lesson : public QObject
{
    Q_OBJECT

private:
    QByteArray clean;
    // The small lesson's pictures, a pipe and a link out of the folder, PNG and JPEG pictures made to hurt.
    QTemporaryDir hostile;
    QTemporaryDir beside;

    static LessonReader::Reading read(const QByteArray &text)
    {
        return LessonReader::read(text, QStringLiteral("test.yaml"), Small);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile file(Small + QStringLiteral("/small.yaml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        clean = file.readAll();
        QVERIFY2(read(clean).problems.empty(), qPrintable(first(read(clean))));
        for (const char *svg : {"a.svg", "b.svg"})
            QVERIFY(QFile::copy(Small + u'/' + QLatin1String(svg), hostile.filePath(QLatin1String(svg))));
        QCOMPARE(::mkfifo(QFile::encodeName(hostile.filePath(QStringLiteral("pipe.svg"))).constData(), 0600), 0);
        QVERIFY(QFile::link(Small + QStringLiteral("/b.svg"), hostile.filePath(QStringLiteral("link.svg"))));
        // PNG and JPEG pictures, whole and made to hurt, and a PNG beside the folder. Where Qt
        // reads no JPEG, a JPEG's signature is all it takes to be told so.
        QImage photo(120, 80, QImage::Format_RGB32);
        photo.fill(QColor(200, 40, 40));
        QImage noise(640, 640, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            QRandomGenerator(y).fillRange(reinterpret_cast<quint32 *>(noise.scanLine(y)), noise.width());
        const bool jpegRead = QImageReader::supportedImageFormats().contains("jpeg");
        const QByteArray png = encoded(photo, "png");
        const QByteArray jpeg = jpegRead ? encoded(photo, "jpeg") : QByteArray("\xff\xd8\xff\xd9");
        // As a phone stores a photo taken upright: its Exif says to turn it a quarter clockwise.
        const QByteArray turnedQuarter = QByteArray::fromHex("ffe10022" "457869660000" "4d4d002a00000008" "0001"
                                                             "011200030000000100060000" "00000000");
        const QMap<QString, QByteArray> pictures{
            {"photo.png", png}, {"photo.jpg", jpeg}, {"png.jpg", png}, {"large.png", encoded(noise, "png")},
            {"bomb.png", pngBomb()}, {"turned.jpg", QByteArray(jpeg).insert(2, turnedQuarter)},
            {"cut.jpg", jpeg.first(jpeg.size() / 2)}, {"cut.png", png.chopped(20)},
            {"scans.jpg", jpegRead ? jpegOfManyScans() : QByteArray()}, {"text.png", "This is no picture.\n"}};
        for (auto [name, bytes] : pictures.asKeyValueRange())
            QVERIFY(written(hostile.filePath(name), bytes));
        QVERIFY(written(beside.filePath(QStringLiteral("photo.png")), png));
        QCOMPARE(::mkfifo(QFile::encodeName(hostile.filePath(QStringLiteral("pipe.png"))).constData(), 0600), 0);
        QVERIFY(QDir(hostile.path()).mkdir(QStringLiteral("folder.png")));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), hostile.filePath(QStringLiteral("zero.png"))));
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
        QStringList captions;
        for (const LessonModel::Exercise &exercise : lesson.exercises)
            captions << exercise.caption + u'=' + exercise.id;
        QCOMPARE(captions.join(u' '), QStringLiteral("1&a=1a 1&b=1b 1&c=1c &2=2 &3=3 &4=4 &5=5 &6=6"));
    }

    // Every rule the reader keeps, broken once: where it is said, and what.
    // A lesson written as a file reads back to the same lesson: lesson 7 (its stories laid out
    // by the lesson) and the test lessons (stories told as text, pictograms, pictures, kinds).
    void writtenReadsBackTheSame_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("lesson 7") << LessonSource::BuiltIn;
        QTest::newRow("small") << Small + QStringLiteral("/small.yaml");
        QTest::newRow("stories as text") << QStringLiteral(BIMBALA_TEST_LESSONS "/flow/flow.yaml");
        QTest::newRow("a second lesson") << QStringLiteral(BIMBALA_TEST_LESSONS "/second/second.yaml");
    }

    void writtenReadsBackTheSame()
    {
        QFETCH(QString, file);
        const LessonReader::Reading original = LessonReader::read(file);
        QVERIFY(original.lesson);
        const QByteArray written = LessonWriter::write(*original.lesson);
        const LessonReader::Reading again =
            LessonReader::read(written, QStringLiteral("written.yaml"), QFileInfo(file).path());
        QVERIFY2(again.lesson, qPrintable(again.problems.empty() ? QString() : again.problems.front().text()));
        QVERIFY(*again.lesson == *original.lesson);
        // Written again, it is the same text: nothing drifts from one save to the next.
        QCOMPARE(LessonWriter::write(*again.lesson), written);
    }

    // A problem in a lesson as written is found again at its field: the place of its line.
    void writtenProblemsNameTheirField_data()
    {
        QTest::addColumn<int>("exercise");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("row");
        QTest::newRow("a drill's word") << 1 << "items" << 3;
        QTest::newRow("a sentence") << 5 << "rows" << 7;
        QTest::newRow("a story's gap") << 7 << "gaps" << 4;
        QTest::newRow("a caption") << 2 << "caption" << -1;
    }

    void writtenProblemsNameTheirField()
    {
        QFETCH(int, exercise);
        QFETCH(QString, key);
        QFETCH(int, row);
        LessonModel::Lesson lesson = *LessonReader::read(LessonSource::BuiltIn).lesson;
        // An empty answer, a caption without its access key, a lesson without its id: a problem where it stands.
        if (exercise < 0) {
            lesson.id.clear();
        } else {
            LessonModel::Exercise &broken = lesson.exercises[std::size_t(exercise)];
            if (key == u"caption")
                broken.caption.remove(u'&');
            else if (auto *drill = std::get_if<LessonModel::SuffixDrill>(&broken.content))
                drill->items[std::size_t(row)].answer.clear();
            else if (auto *sentences = std::get_if<LessonModel::SentenceExercise>(&broken.content))
                sentences->rows[std::size_t(row)].answer.clear();
            else
                std::get<LessonModel::Story>(broken.content).gaps[std::size_t(row)].answers[1].clear();
        }
        LessonLines lines;
        const QByteArray written = LessonWriter::write(lesson, &lines);
        const LessonReader::Reading read = LessonReader::read(written, QStringLiteral("written.yaml"), QStringLiteral(":/lessons/lesson7"));
        QVERIFY(!read.lesson && !read.problems.empty());
        const LessonPlace found = placeOfLine(lines, read.problems.front().line);
        QVERIFY2(found == (LessonPlace{exercise, key, row}),
                 qPrintable(QStringLiteral("%1 %2 %3").arg(found.exercise).arg(found.key).arg(found.row)));
    }

    void problemsSayWhere_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const char *from, const QByteArray &to, const char *said) {
            QTest::newRow(name) << QByteArray(from) << to << QString::fromUtf8(said);
        };
        // A bracket or quote left open is said at its opener, however far on the parser stops.
        row("[ never closed, a list entry below (alone)", "[\"orvos\", \"orvosnál\"]", "[\"orvos\", \"orvosnál\"",
            "test.yaml:15:9: this [ is never closed: put a ] where its list ends");
        row("[ never closed, a ] in a text below", "[\"orvos\", \"orvosnál\"]", "[\"orvos\", \"orvosnál\"\n    number: 1a]",
            "test.yaml:15:9: this [ is never closed");
        row("[ never closed, a key below", "[\"Laci\", \"én\", \"te\"]", "[\"Laci\", \"én\", \"te\"",
            "test.yaml:21:14: this [ is never closed");
        row("{ never closed (alone)", "picture: 0}", "picture: 0",
            "test.yaml:32:9: this { is never closed: put a } where its mapping ends");
        row("[ never closed inside { }", "\"kilépsz\"], place", "\"kilépsz\", place", "test.yaml:32:47: this [ is never closed");
        row("[ and { never closed, the file ends", "\"mész\"]}", "\"mész\"", "test.yaml:44:9: this { is never closed");
        row("quote never closed inside { } (alone)", "{kind: \"al\", offer", "{kind: \"al, offer",
            "test.yaml:32:16: this quote is never closed: put a \" where its text ends");
        row("quote never closed at the line's end", "\"T. lecke\"", "\"T. lecke", "test.yaml:5:10: this quote is never closed");
        row("quote never closed, the file ends", "\"mész\"]}", "\"mész]}", "test.yaml:44:50: this quote is never closed");
        row("single quote never closed", "\"megy\",", "'megy,", "test.yaml:44:32: this quote is never closed: put a '");
        row("{ never closed after a story's text", "Este [megy] moziba.\n    gaps:\n      - {kind: \"al\", answers: [\"van\", \"van\", \"van\"]}",
            "[Este [megy moziba.\n    gaps:\n      - {kind: \"al\", answers: [\"van\", \"van\", \"van\"]", "test.yaml:43:9: this { is never closed");
        // Where nothing was left open, the parser's words stand.
        row("another syntax slip", "    shape: suffix-drill", "    shape: suffix-drill: x", "test.yaml:11:24: illegal map value");
        row("a slip above a quote never closed", "    shape: suffix-drill\n    suffix: \"-nál/-nél\"",
            "    shape: suffix-drill: x\n    suffix: \"-nál/-nél", "test.yaml:11:24: illegal map value");
        row("text after a closing quote", "\"&1\"", "\"&1\"x", "test.yaml:8:18: end of map not found");
        row("missing field", "  title: \"T. lecke\"\n", "", "test.yaml:4:3: the lesson has no \"title\"");
        row("empty answer", "\"orvosnál\"", "\" \"", "test.yaml:15:19: an item has an empty word or answer");
        row("three-part item (alone)", "\"orvosnál\"]", "\"orvosnál\", \"x\"]", "test.yaml:15:9: an item is a pair: [word, answer]");
        row("same exercise twice", "id: \"2\"", "id: \"1\"", "test.yaml:16:9: a second exercise \"1\" (the first is on line 7)");
        // Columns count characters: "kilép" comes before on the line.
        row("an answer short", ", \"kilépsz\"]", "]", "test.yaml:32:47: gap 1 needs 3 answers, one for each person of the story, not 2");
        row("answers for persons, one person", "[\"Laci\", \"én\", \"te\"]", "[\"Laci\"]",
            "test.yaml:32:47: gap 1 needs 1 answer, for the one person of the story, not 3");
        row("a picture not there", "picture: 0}", "picture: 2}",
            "test.yaml:32:113: gap 1 shows picture 2, but the story has only 2 pictures, numbered from 0");
        row("picture missing", "b.svg", "c.svg", "test.yaml:30:16: the picture c.svg cannot be read");
        row("picture no SVG", "b.svg", "note.svg", "test.yaml:30:16: the picture note.svg is no SVG, PNG or JPEG picture");
        row("picture from /", "b.svg", "/tmp/b.svg", "test.yaml:30:16: the picture /tmp/b.svg is named relative to the lesson file");
        row("access keys clash", "\"&2\"", "\"2&1\"",
            "test.yaml:17:14: the access key \"1\" of \"2&1\" is also that of \"&1\"");
        row("unknown kind", "kind: \"al\"", "kind: \"x\"", "test.yaml:32:16: gap 1: unknown kind \"x\"");
        row("a person twice", "[\"Anna\", \"én\", \"te\"]", "[\"Anna\", \"én\", \"Anna\"]",
            "test.yaml:38:14: the person \"Anna\" is named twice");
        row("nine persons", "[\"Anna\", \"én\", \"te\"]", "[\"Anna\", \"én\", \"te\", a, b, c, d, e, f]",
            "test.yaml:38:14: a story has 1 to 8 persons, not 9");
        row("a kind too pale to read", "exercises:\n", "kinds: [{kind: \"n\", open: \"#ccddff\", solved: \"#ffcc00\"}]\nexercises:\n",
            "test.yaml:6:46: white text on the colour #ffcc00 of kind \"n\" has a contrast of 1.5:1; it needs 4.5:1");
        row("basic run too long, one item", "basic: 1", "basic: 2", "test.yaml:13:12: \"basic\" is 2, but the drill has only 1 item");
        row("basic run too long, two items", "basic: 1\n    items:\n      - [\"orvos\", \"orvosnál\"]\n",
            "basic: 3\n    items:\n      - [\"orvos\", \"orvosnál\"]\n      - [\"ház\", \"háznál\"]\n",
            "test.yaml:13:12: \"basic\" is 3, but the drill has only 2 items");
        row("Latin-1", "orvosnál\"]", "orvosn\xe1l\"]",
            "test.yaml:15:26: the file is not UTF-8 text: the byte 0xE1 here is \"á\" in Latin-1; save the file as UTF-8");
        row("tab", "    shape: suffix-drill", "\tshape: suffix-drill", "test.yaml:11:1: YAML indents with spaces, not tabs");
        row("key twice", "    heading: \"Put", "    description: \"d\"\n    heading: \"Put",
            "test.yaml:10:5: the key \"description\" is given twice in this mapping (first on line 9)");
        row("second document", "  - id: \"3\"", "---\n  - id: \"3\"", "test.yaml:33:1: a second YAML document starts here");
        row("nan", "picture: 0}\n", "picture: 0}\n    pieces: [{text: \"x\", points: nan, place: [0, 120, 500]}]\n",
            "test.yaml:33:34: \"points\" of a piece must be a number from 4 to 72");
        row("escaped control character", "\"orvosnál\"", "\"orvos\\0nál\"", "test.yaml:15:19: this text holds an invisible control character (U+0000");
        row("raw control character", "\"orvosnál\"", "\"orvos\x1bnál\"", "test.yaml:15:25: an invisible control character (U+001B)");
        row("flow without its quotes", "[\"orvos\"", "[:\"orvos\"", "test.yaml:15:10: a text starting with \":\"");
        row("layout without heading", "      heading-place: [120, 540, 3855, 375]\n", "", "test.yaml:23:7: the layout has no \"heading-place\"");
        // Story 3 is told in text, its gaps in brackets: the marks point into its block.
        row("gap not closed", "[megy]", "[megy", "test.yaml:41:12: a [ that no ] closes");
        row("gap open at the next", "[megy]", "[me[gy]", "test.yaml:41:12: a [ that no ] closes before the next [");
        row("stray ]", "5 [].", "5 ].", "test.yaml:40:21: a ] that closes no gap");
        row("more gaps in the text", "moziba.", "[] moziba.",
            "test.yaml:41:19: the text and the gap list differ in their number of gaps: 3 and 2");
        row("more gaps in the list", "[megy]", "megy",
            "test.yaml:44:9: the text and the gap list differ in their number of gaps: 1 and 2");
        row("text and pieces", "    text: |", "    pieces: [{text: \"x\"}]\n    text: |",
            "test.yaml:39:13: a story is told in its text or in pieces, not both");
        row("offer in a text", "answers: [\"van\"", "offer: \"van\", answers: [\"van\"",
            "test.yaml:43:29: gap 1: a story told in text gives the offer in [ ]");
        row("place in a text", "\"mész\"]}", "\"mész\"], place: [0, 120, 855]}",
            "test.yaml:44:66: gap 2: a story told in text is laid out by the program");
        row("layout in a text", "    text: |", "    layout: {row-tops: [1200]}\n    text: |",
            "test.yaml:39:13: a layout needs a place for every gap and piece");
        row("places mixed", "picture: 0}\n", "picture: 0}\n    pieces: [{text: \"x\"}]\n",
            "test.yaml:16:5: give a place for every gap and piece, or for none");
        row("over 2 MB", "format: 1\n", QByteArray("format: 1\n") + QByteArray("# filler\n").repeated(240000),
            "test.yaml:1:1: the file is larger than 2 MB");
    }

    void problemsSayWhere()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, said);
        const QByteArray text = QByteArray(clean).replace(from, to);
        QVERIFY(text != clean);
        const LessonReader::Reading reading = read(text);
        QVERIFY(!reading.lesson);
        QStringList problems;
        for (const LessonProblem &problem : reading.problems)
            problems << problem.text();
        // The whole problem, or its start up to the end of a word ("1 item" is not "1 items").
        const auto says = [&said](const QString &p) {
            return p.startsWith(said) && (p.size() == said.size() || !p.at(said.size()).isLetterOrNumber());
        };
        QVERIFY2(std::any_of(problems.begin(), problems.end(), says), qPrintable(problems.join(u'\n')));
        if (QByteArray(QTest::currentDataTag()).endsWith("(alone)"))
            QCOMPARE(problems.size(), 1);
    }

    // A key the reader does not know is named with the one it was likely meant to be:
    // the only known key the mapping lacks that is nearest, within two edits (one for a
    // short key); otherwise it is named alone.
    void unknownKeysSayWhichWasMeant_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const char *from, const char *to, const char *said) {
            QTest::newRow(name) << QByteArray(from) << QByteArray(to) << QString::fromUtf8(said);
        };
        row("a letter left out", "    heading: \"Put", "    headin: \"Put",
            "test.yaml:10:5: unknown key \"headin\" in an exercise: did you mean \"heading\"?");
        row("two letters swapped in a short key", "{kind: \"al\", offer", "{kidn: \"al\", offer",
            "test.yaml:32:10: unknown key \"kidn\" in gap 1: did you mean \"kind\"?");
        row("a person's name", "picture: 0}", "picture: 0, also-right: {\"Lacci\": [\"kilépnek\"]}}",
            "test.yaml:32:129: unknown key \"Lacci\" in \"also-right\" of gap 1: did you mean \"Laci\"?");
        row("the near key given already", "    pictures:", "    picturs: \"a.svg\"\n    pictures:",
            "test.yaml:28:5: unknown key \"picturs\" in an exercise: did you mean \"picture\"?");
        row("two keys as near", "picture: 0}", "picture: 0, also-right: {\"tn\": [\"kilépnek\"]}}",
            "test.yaml:32:129: unknown key \"tn\" in \"also-right\" of gap 1");
        row("two edits off a short key", "{kind: \"al\", offer", "{kd: \"al\", offer", "test.yaml:32:10: unknown key \"kd\" in gap 1");
        row("three edits off", "    heading: \"Put", "    header: \"Put", "test.yaml:10:5: unknown key \"header\" in an exercise");
    }

    void unknownKeysSayWhichWasMeant()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, said);
        QVERIFY(clean.contains(from));
        QStringList problems;
        for (const LessonProblem &problem : read(QByteArray(clean).replace(from, to)).problems)
            problems << problem.text();
        QVERIFY2(problems.contains(said), qPrintable(problems.join(u'\n')));
    }

    // The problems and unknown words beyond the first hundred are counted, reading right
    // for one and for more.
    void countsBeyondTheShownRead_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("spelt");
        QTest::addColumn<QString>("said");
        QTest::newRow("1 problem more") << 101 << false << "1 more problem from here on is not shown";
        QTest::newRow("2 problems more") << 102 << false << "2 more problems from here on are not shown";
        QTest::newRow("1 unknown word more") << 101 << true << "warning: 1 more unknown word is not shown";
        QTest::newRow("2 unknown words more") << 102 << true << "warning: 2 more unknown words are not shown";
    }

    void countsBeyondTheShownRead()
    {
        QFETCH(int, items);
        QFETCH(bool, spelt);
        QFETCH(QString, said);
        LessonSpelling spelling;
        if (spelt && !spelling.missing().isEmpty())
            QSKIP(qPrintable(spelling.missing()));
        // Each item an empty word (a problem), or a made-up word of its own (unknown).
        QByteArray list;
        for (int i = 0; i < items; ++i) {
            const QByteArray word = spelt ? QByteArray("qx") + char('a' + i / 26) + char('a' + i % 26) : QByteArray();
            list += "      - [\"" + word + "\", \"" + (spelt ? word : QByteArray("x")) + "\"]\n";
        }
        const QByteArray text = QByteArray(clean).replace("      - [\"orvos\", \"orvosnál\"]\n", list);
        const LessonReader::Reading reading =
            LessonReader::read(text, QStringLiteral("test.yaml"), Small, spelt ? &spelling : nullptr);
        QCOMPARE(reading.problems.size(), std::size_t(101));
        QVERIFY2(reading.problems.back().text().endsWith(QStringLiteral(": ") + said), qPrintable(reading.problems.back().text()));
    }

    // Whole lessons, their brackets and quotes in every form they take (over several lines,
    // ending in a blank or a comma, in block texts), with a slip of another kind at the end:
    // none of their openers is taken for the slip.
    void otherSlipsKeepTheParsersWords_data()
    {
        QTest::addColumn<QString>("lesson");
        QTest::newRow("lesson 7") << Lesson7;
        QTest::newRow("stories as text") << QStringLiteral(BIMBALA_TEST_LESSONS "/flow/flow.yaml");
        QTest::newRow("a second lesson") << QStringLiteral(BIMBALA_TEST_LESSONS "/second/second.yaml");
    }

    void otherSlipsKeepTheParsersWords()
    {
        QFETCH(QString, lesson);
        QFile file(lesson);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll() + "x: y: z\n";
        const LessonReader::Reading reading = LessonReader::read(text, QStringLiteral("test.yaml"), QFileInfo(lesson).absolutePath());
        QCOMPARE(reading.problems.size(), std::size_t(1));
        const QString said = reading.problems.front().text();
        QVERIFY2(said.startsWith(QStringLiteral("test.yaml:%1:5: illegal map value").arg(text.count('\n'))), qPrintable(said));
    }

    // Files made to hurt: each is refused with its problem, well within the limits of
    // time (and, by the outline read first, of memory).
    void hostileFilesEndQuickly_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("said");
        const auto picture = [this](const char *name) { return QByteArray(clean).replace("b.svg", name); };
        QTest::newRow("aliases of a 1 MB text") << "format: 1\nexercises:\n  - &a \"" + QByteArray(1000000, 'x') + "\"\n" +
                                                   QByteArray("  - *a\n").repeated(3000)
                                            << "test.yaml:13:5: the texts of the file come to more than 10 MB";
        // Lists of aliases of lists: 66,661 parts in a few hundred bytes.
        const auto aliases = [](const char *name, int count) { return (QByteArray("*") + name + ", ").repeated(count).chopped(2); };
        QTest::newRow("aliases of lists of aliases") << "format: 1\na: &a [" + QByteArray("x, ").repeated(9) + "x]\nb: &b [" +
                                                            aliases("a", 10) + "]\nc: &c [" + aliases("b", 10) + "]\nexercises: [" +
                                                            aliases("c", 60) + "]\n"
                                                     << "test.yaml:5:221: the file has more than 60,000 parts";
        QTest::newRow("a million flow items") << "exercises: [" + QByteArray("1,").repeated(1000000) + "1]\n"
                                          << "test.yaml:1:120007: the file has more than 60,000 parts";
        QTest::newRow("brackets without end") << "exercises: " + QByteArray("{a: ").repeated(400000) + "\n"
                                          << "test.yaml:1:268: brackets open more than 64 deep";
        QTest::newRow("100,000 stray ]") << QByteArray(clean).replace("5 [].", "5 []." + QByteArray(100000, ']'))
                                     << "test.yaml:40:24: a ] that closes no gap";
        QTest::newRow("a device by ../") << picture("../../../../../../../../../../../../dev/zero")
                                     << "test.yaml:30:16: the picture ../../../../../../../../../../../../dev/zero is outside";
        QTest::newRow("a pipe") << picture("pipe.svg") << "test.yaml:30:16: the picture pipe.svg is a folder, a device or a pipe";
        QTest::newRow("a link out of the folder") << picture("link.svg") << "test.yaml:30:16: the picture link.svg is outside";
    }

    void hostileFilesEndQuickly()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, said);
        QElapsedTimer clock;
        clock.start();
        const LessonReader::Reading reading = LessonReader::read(text, QStringLiteral("test.yaml"), hostile.path());
        const qint64 took = clock.elapsed();
        QVERIFY(!reading.lesson);
        QVERIFY2(reading.problems.front().text().startsWith(said), qPrintable(reading.problems.front().text()));
        QVERIFY2(took < 2000, qPrintable(QString::number(took)));
    }

    // A PNG or JPEG picture is known by its content and decodes; one made to hurt has one
    // problem, said quickly, without the memory a decoder would take for it, nor its warnings.
    void rasterPicturesAreChecked_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("said"); // empty: read, and drawn
        QTest::addColumn<bool>("upright"); // drawn as a person holds the picture, not as it is stored
        const bool jpeg = QImageReader::supportedImageFormats().contains("jpeg");
        QTest::newRow("a PNG") << "photo.png" << "" << false;
        QTest::newRow("a JPEG") << "photo.jpg"
                                << (jpeg ? "" : "the picture photo.jpg is a JPEG picture, which this computer cannot read") << false;
        if (jpeg)
            QTest::newRow("a JPEG to be turned") << "turned.jpg" << "" << true;
        QTest::newRow("a PNG named .jpg") << "png.jpg" << "" << false;
        QTest::newRow("a PNG bomb") << "bomb.png" << "the picture bomb.png is 100000 × 100000 pixels; a picture has at most 4096 × 4096" << false;
        if (jpeg) {
            QTest::newRow("a JPEG cut short") << "cut.jpg" << "the picture cut.jpg is a JPEG picture that is damaged or cut short" << false;
            QTest::newRow("a JPEG of 20,000 scans") << "scans.jpg" << "the picture scans.jpg is a JPEG picture that is damaged" << false;
        }
        QTest::newRow("a PNG cut short") << "cut.png" << "the picture cut.png is a PNG picture that is damaged or cut short" << false;
        QTest::newRow("a text named .png") << "text.png" << "the picture text.png is no SVG, PNG or JPEG picture" << false;
        QTest::newRow("a PNG over 1 MB") << "large.png" << "the picture large.png is larger than 1 MB" << false;
        QTest::newRow("a pipe named .png") << "pipe.png" << "the picture pipe.png is a folder, a device or a pipe" << false;
        QTest::newRow("a folder named .png") << "folder.png" << "the picture folder.png is a folder, a device or a pipe" << false;
        QTest::newRow("/dev/zero by a link named .png") << "zero.png" << "the picture zero.png is outside the lesson's folder" << false;
        const QString outside = QStringLiteral("../%1/photo.png").arg(QFileInfo(beside.path()).fileName());
        QTest::newRow("a PNG outside the folder") << outside << QStringLiteral("the picture %1 is outside the lesson's folder").arg(outside) << false;
    }

    void rasterPicturesAreChecked()
    {
        QFETCH(QString, picture);
        QFETCH(QString, said);
        QFETCH(bool, upright);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        const qint64 peakBefore = peakKilobytes();
        QElapsedTimer clock;
        clock.start();
        const LessonReader::Reading reading =
            LessonReader::read(QByteArray(clean).replace("b.svg", picture.toUtf8()), QStringLiteral("test.yaml"), hostile.path());
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(peakKilobytes() - peakBefore < 100 * 1024);
        if (!said.isEmpty()) {
            QCOMPARE(reading.problems.size(), std::size_t(1));
            QVERIFY2(first(reading).startsWith(QStringLiteral("test.yaml:30:16: ") + said), qPrintable(first(reading)));
            return;
        }
        QVERIFY2(reading.lesson, qPrintable(first(reading)));
        const auto &story = std::get<LessonModel::Story>(reading.lesson->exercises[1].content);
        // 120 x 80 in a square: whole, in its proportions (60 x 40, or 40 x 60 upright), centred.
        const QImage drawn = Pictures::pixmap(story.pictures[1].picture, {60, 60}).toImage();
        QCOMPARE(drawn.size(), QSize(60, 60));
        QCOMPARE(qAlpha(drawn.pixel(30, 4)), upright ? 255 : 0);
        QCOMPARE(qAlpha(drawn.pixel(4, 30)), upright ? 0 : 255);
        const QRgb centre = drawn.pixel(30, 30);
        QVERIFY2(qAlpha(centre) == 255 && qRed(centre) > 180 && qGreen(centre) < 70, qPrintable(QString::number(centre, 16)));
    }

    // A picture is read from the lesson's folder or a folder in it, however it is named,
    // and never from a folder beside it, though that folder's name begins alike.
    void picturesStayInTheirFolder_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("said"); // empty: read
        QTest::newRow("beside the lesson") << "b.svg" << "";
        QTest::newRow("in a folder of the lesson's") << "pictures/b.svg" << "";
        QTest::newRow("out of the folder and back") << "../les/b.svg" << "";
        QTest::newRow("a folder beside, named alike") << "../les-other/b.svg"
                                                      << "test.yaml:30:16: the picture ../les-other/b.svg is outside the lesson's folder";
    }

    void picturesStayInTheirFolder()
    {
        QFETCH(QString, picture);
        QFETCH(QString, said);
        QTemporaryDir root;
        for (const char *folder : {"les/pictures", "les-other"})
            QVERIFY(QDir(root.path()).mkpath(QLatin1String(folder)));
        for (const char *copy : {"les/a.svg", "les/b.svg", "les/pictures/b.svg", "les-other/b.svg"})
            QVERIFY(QFile::copy(Small + u'/' + QFileInfo(QLatin1String(copy)).fileName(), root.filePath(QLatin1String(copy))));
        const LessonReader::Reading reading =
            LessonReader::read(QByteArray(clean).replace("b.svg", picture.toUtf8()), QStringLiteral("test.yaml"), root.filePath(QStringLiteral("les")));
        QVERIFY2(said.isEmpty() ? reading.problems.empty() : first(reading).startsWith(said), qPrintable(first(reading)));
    }

    // A lesson file that is a pipe is refused at once, not waited on.
    void pipeIsNoLesson()
    {
        const QString pipe = hostile.filePath(QStringLiteral("pipe.svg"));
        const LessonReader::Reading reading = LessonReader::read(pipe);
        QCOMPARE(first(reading), pipe + QStringLiteral(":1:1: the file is a folder, a device or a pipe, not a regular file"));
    }

    // Thousands of damaged copies of lesson 7's file: flipped bytes, cut ends,
    // lines repeated and dropped. Each is read to its end, quickly, with its
    // problems or as a lesson, and never brings the program down.
    // BIMBALA_LESSON_FUZZ=N reads N of them (default 1000).
    // Lesson 7's file, and stories told as text with their gaps in brackets.
    void damagedFilesEndQuietly_data()
    {
        QTest::addColumn<QString>("lesson");
        QTest::newRow("lesson 7") << Lesson7;
        QTest::newRow("stories as text") << QStringLiteral(BIMBALA_TEST_LESSONS "/flow/flow.yaml");
    }

    void damagedFilesEndQuietly()
    {
        QFETCH(QString, lesson);
        QFile file(lesson);
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
            const LessonReader::Reading reading =
                LessonReader::read(damaged, QStringLiteral("damaged.yaml"), QFileInfo(lesson).absolutePath());
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
