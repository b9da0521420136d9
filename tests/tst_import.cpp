// Lessons saved whole or not at all, and lessons made of what teachers have already (word
// lists, KVTML vocabularies, GIFT questions): what each import takes and leaves out, line by
// line; hostile files said in a sentence, quickly and in little memory; and every import read
// back by the lesson reader as the lesson it made.
#include "TestSupport.h"
#include "bench/PeakMemory.h"
#include "lesson/LessonFiles.h"
#include "lesson/LessonReader.h"
#include "lesson/LessonSource.h"
#include "lesson/LessonWriter.h"
#include "lesson/import/GiftImport.h"
#include "lesson/import/KvtmlImport.h"
#include "lesson/import/LessonImport.h"
#include "lesson/import/WordListImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Notes = std::vector<Import::Note>;
using What = Import::Note::What;
Q_DECLARE_METATYPE(Notes)
Q_DECLARE_METATYPE(Import::Encoding)

namespace {

const QString TestLessons = QStringLiteral(BIMBALA_TEST_LESSONS);

// What an exercise asks, as rows: a drill's word and answer, a sentence's before, answer, after and cue.
QList<QStringList> rowsOf(const LessonModel::Exercise &exercise)
{
    QList<QStringList> rows;
    if (const auto *drill = std::get_if<LessonModel::SuffixDrill>(&exercise.content)) {
        for (const LessonModel::WordItem &item : drill->items)
            rows << QStringList{item.cue, item.answer};
    }
    if (const auto *sentences = std::get_if<LessonModel::SentenceExercise>(&exercise.content)) {
        for (const LessonModel::SentenceRow &row : sentences->rows)
            rows << QStringList{row.before, row.answer, row.after, row.cue};
    }
    return rows;
}

// Everything an import says, one sentence a line.
QString said(const Import::Imported &imported)
{
    QStringList sentences{Import::describe(imported.report.encoding)};
    for (const Import::Note &note : imported.report.notes)
        sentences << QStringLiteral("%1: %2").arg(note.line).arg(Import::describe(note));
    if (imported.refusal)
        sentences << QStringLiteral("%1: %2").arg(imported.refusal->line).arg(Import::describe(*imported.refusal));
    return sentences.join(u'\n');
}

// The import as a lesson of its own, written as a file and read back by the reader: the same lesson.
void readsBack(const Import::Imported &imported)
{
    QVERIFY2(imported.exercise, qPrintable(said(imported)));
    const LessonModel::Lesson lesson = Import::lessonOf(*imported.exercise, QStringLiteral("/tmp/Szavak, 7. óra.csv"));
    QVERIFY2(lesson.id.startsWith(u"szavak-7-óra-") && lesson.id.size() == 21, qPrintable(lesson.id));
    const LessonReader::Reading reading = LessonReader::read(LessonWriter::write(lesson), QStringLiteral("import.yaml"), {});
    QVERIFY2(reading.lesson, qPrintable(reading.problems.empty() ? QString() : reading.problems.front().text()));
    QVERIFY(*reading.lesson == lesson);
}

QByteArray repeated(const char *pattern, int times)
{
    QByteArray bytes;
    for (int i = 0; i < times; ++i)
        bytes += QByteArray(pattern).replace("%1", QByteArray::number(i));
    return bytes;
}

QByteArray vocabulary(const QByteArray &entries, const QByteArray &identifiers = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n"
           "<kvtml version=\"2.0\">\n"
           "<information><title>Állatok &amp; ház</title></information>\n<identifiers>\n" +
           (identifiers.isEmpty() ? "<identifier id=\"0\"><name>English</name><locale>en</locale></identifier>\n"
                                    "<identifier id=\"1\"><name>Magyar</name><locale>hu_HU</locale></identifier>\n"
                                    "<identifier id=\"2\"><name>Deutsch</name><locale>de</locale></identifier>\n"
                                  : identifiers) +
           "</identifiers>\n<entries>\n" + entries + "</entries>\n</kvtml>\n";
}

// An entry on a line of its own, with a text in each language given (id=text, ...).
QByteArray entry(const QByteArray &texts)
{
    QByteArray xml = "<entry id=\"x\">";
    for (const QByteArray &text : texts.split(',')) {
        const qsizetype equals = text.indexOf('=');
        xml += "<translation id=\"" + text.left(equals) + "\"><text>" + text.mid(equals + 1) + "</text></translation>";
    }
    return xml + "</entry>\n";
}

// A folder on a file system that holds `bytes` and no more (a tmpfs, as root), as it was again when it goes.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder, int kilobytes) : folder(folder)
    {
        ok = geteuid() == 0 && QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                                           QStringLiteral("-o"),
                                                                           QStringLiteral("size=%1k").arg(kilobytes),
                                                                           QStringLiteral("tmpfs"), folder}) == 0;
    }
    ~SmallDisk()
    {
        if (ok)
            QProcess::execute(QStringLiteral("umount"), {folder});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool ok = false;

private:
    QString folder;
};

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class tst_Import : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A lesson saved is read back the same, its pictures written beside it: lesson 7 (built in,
    // its pictures compiled in), a lesson with a picture story, one with pictograms of its own.
    void savedReadsBackTheSame_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("lesson 7") << LessonSource::BuiltIn;
        QTest::newRow("small") << TestLessons + QStringLiteral("/small/small.yaml");
        QTest::newRow("a second lesson") << TestLessons + QStringLiteral("/second/second.yaml");
    }

    void savedReadsBackTheSame()
    {
        QFETCH(QString, file);
        const LessonReader::Reading original = LessonFiles::read(file);
        QVERIFY(original.lesson);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("saved.yaml"));
        QCOMPARE(LessonFiles::save(*original.lesson, path), QString());
        const LessonReader::Reading again = LessonFiles::read(path);
        QVERIFY2(again.lesson, qPrintable(again.problems.empty() ? QString() : again.problems.front().text()));
        QVERIFY(*again.lesson == *original.lesson);
        // Nothing half-written is left beside it (saved.yaml.XXXXXX).
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".yaml")), QStringList{"saved.yaml"});
    }

    // Pictures are written beside the lesson where not there already with the same content,
    // and never outside its folder.
    void savePictures_data()
    {
        QTest::addColumn<QString>("there");   // what stands at a.svg before the save
        QTest::addColumn<QString>("picture"); // the name the lesson gives a.svg
        QTest::addColumn<QString>("problem");
        QTest::newRow("the same picture kept") << "same" << "a.svg" << "";
        QTest::newRow("another picture replaced") << "other" << "a.svg" << "";
        QTest::newRow("in a folder of its own") << "" << "pictures/a.svg" << "";
        QTest::newRow("named outside") << "" << "../a.svg" << "its picture ../a.svg is outside the lesson's folder";
        QTest::newRow("from /") << "" << "BASE/a.svg" << "its picture BASE/a.svg is outside";
        QTest::newRow("a link out of the folder") << "link" << "a.svg" << "its picture a.svg is outside";
        QTest::newRow("a link to nowhere") << "dangling" << "a.svg" << "its picture a.svg is outside";
        QTest::newRow("a folder there") << "folder" << "a.svg" << "there is a folder, a device or a pipe";
    }

    void savePictures()
    {
        QFETCH(QString, there);
        QFETCH(QString, picture);
        QFETCH(QString, problem);
        // The lesson's folder inside another: what is written outside it stays in the test's.
        QTemporaryDir base;
        QVERIFY(QDir(base.path()).mkpath(QStringLiteral("lesson/")) && QDir(base.path()).mkpath(QStringLiteral("outside/")));
        const QString folder = base.filePath(QStringLiteral("lesson"));
        picture.replace(QStringLiteral("BASE"), base.path());
        problem.replace(QStringLiteral("BASE"), base.path());
        LessonModel::Lesson lesson = *LessonFiles::read(TestLessons + QStringLiteral("/small/small.yaml")).lesson;
        auto &pictures = std::get<LessonModel::Story>(lesson.exercises.at(1).content).pictures;
        const QByteArray svg = pictures.at(0).picture;
        pictures[0].file = picture;
        const QString target = folder + QStringLiteral("/a.svg");
        const QString beyond = base.filePath(QStringLiteral("outside/a.svg"));
        const QDateTime old(QDate(2001, 2, 3), QTime(4, 5));
        if (there == u"same" || there == u"other") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(there == u"same" ? svg : QByteArray("<svg/>"));
            QVERIFY(file.flush() && file.setFileTime(old, QFileDevice::FileModificationTime));
        } else if (there == u"link" || there == u"dangling") {
            if (there == u"link")
                QVERIFY(QFile::copy(TestLessons + QStringLiteral("/small/b.svg"), beyond));
            QVERIFY(QFile::link(beyond, target));
        } else if (there == u"folder") {
            QVERIFY(QDir().mkdir(target));
        }
        const QByteArray beyondBefore = contentOf(beyond);
        const QString path = folder + QStringLiteral("/saved.yaml");
        const QString told = LessonFiles::save(lesson, path);
        QVERIFY2(problem.isEmpty() ? told.isEmpty() : told.contains(problem), qPrintable(told));
        QCOMPARE(contentOf(beyond), beyondBefore);
        QCOMPARE(QFile::exists(base.filePath(QStringLiteral("a.svg"))), false);
        if (!problem.isEmpty()) {
            QVERIFY(!QFile::exists(path));
            return;
        }
        QCOMPARE(contentOf(folder + u'/' + picture), svg);
        QCOMPARE(QFileInfo(folder + u'/' + picture).lastModified() == old, there == u"same");
        QVERIFY(*LessonFiles::read(path).lesson == lesson);
    }

    // A folder that cannot be written and a disk that is full leave the lesson's file as it
    // was, and say why.
    void saveLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("pictures");
        QTest::addColumn<QString>("why");
        QTest::newRow("read-only folder") << "read-only" << true << "Read-only file system|Permission denied";
        QTest::newRow("disk full at a picture") << "full" << true << "No space left on device";
        QTest::newRow("disk full at the lesson") << "full" << false << "No space left on device";
    }

    void saveLeavesTheFileAsItWas()
    {
        QFETCH(QString, folder);
        QFETCH(bool, pictures);
        QFETCH(QString, why);
        LessonModel::Lesson lesson = TestSupport::lesson7();
        for (LessonModel::Exercise &exercise : lesson.exercises) {
            if (auto *story = std::get_if<LessonModel::Story>(&exercise.content); story && !pictures) {
                for (LessonModel::StoryPicture &picture : story->pictures)
                    picture.picture.clear(); // named, but nothing to write
            }
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lesson.yaml"));
        const auto writeOld = [&path] {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("# the teacher's lesson, as it was\n");
        };
        std::unique_ptr<TestSupport::ReadOnlyFolder> readOnly;
        std::unique_ptr<SmallDisk> small;
        if (folder == u"read-only") {
            writeOld();
            readOnly = std::make_unique<TestSupport::ReadOnlyFolder>(dir.path());
            if (!readOnly->ok)
                QSKIP("The folder cannot be made read-only here.");
        } else {
            small = std::make_unique<SmallDisk>(dir.path(), 16);
            if (!small->ok)
                QSKIP("No small file system can be mounted here (it takes root).");
            writeOld();
        }
        const QString told = LessonFiles::save(lesson, path);
        QVERIFY2(told.contains(QRegularExpression(why)) && told.contains(u"The lesson file is as it was."), qPrintable(told));
        QCOMPARE(contentOf(path), QByteArray("# the teacher's lesson, as it was\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"lesson.yaml"});
    }

    // Word lists as spreadsheets and editors save them: each row's word and answer, what is
    // left out and what is said, line by line.
    void wordLists_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Import::Encoding>("encoding");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<Notes>("notes");
        using E = Import::Encoding;
        QTest::newRow("UTF-8 with a byte order mark, semicolons, a header, a formula, no answer")
            << QByteArray("\xEF\xBB\xBFSzó;Válasz\nház;házban\n\nkert ; kertben;megjegyzés\n=SUM(A1);x\nmagány\n") << E::Utf8 << ";"
            << QList<QStringList>{{"ház", "házban"}, {"kert", "kertben"}, {"=SUM(A1)", "x"}}
            << Notes{{What::Header, 1}, {What::FieldsBeyondSecond, 4, {}, 1}, {What::Formula, 5, {"=SUM(A1)"}},
                     {What::NoAnswer, 6, {"magány"}}};
        QTest::newRow("tabs, CR LF, fields beyond on two rows") << QByteArray("ház\tházban\t1\r\nkert\tkertben\t2\r\n")
                                                                << E::Utf8 << "\t"
                                                                << QList<QStringList>{{"ház", "házban"}, {"kert", "kertben"}}
                                                                << Notes{{What::FieldsBeyondSecond, 1, {}, 2}};
        // Every line has a comma and a tab: the tab separates, as a comma is the likelier within a text.
        QTest::newRow("a tab before a comma") << QByteArray("Pest, Buda\tPesten, Budán\n") << E::Utf8 << "\t"
                                              << QList<QStringList>{{"Pest, Buda", "Pesten, Budán"}} << Notes{};
        QTest::newRow("RFC 4180 quotes, a line break inside")
            << QByteArray("\"a, b\",\"say \"\"igen\"\"\"\n\"two\nlines\",c\nd,e\n") << E::Utf8 << ","
            << QList<QStringList>{{"a, b", "say \"igen\""}, {"two lines", "c"}, {"d", "e"}} << Notes{};
        QTest::newRow("a quote never closed") << QByteArray("a,b\n\"c,d\ne,f\n") << E::Utf8 << ","
                                              << QList<QStringList>{{"a", "b"}} << Notes{{What::QuoteNeverClosed, 2, {}, 2}};
        QTest::newRow("sep= line, a word given two answers, the same twice")
            << QByteArray("sep=,\nház,házban\nház,háznál\nház,házban\n") << E::Utf8 << ","
            << QList<QStringList>{{"ház", "házban"}, {"ház", "házban"}} << Notes{{What::AnotherAnswer, 3, {"ház", "háznál"}, 2}};
        QTest::newRow("no word, a control character, too long")
            << (QByteArray(";x\na\x1b;b\nc;") + QByteArray(201, 'y') + "\nd;e\n") << E::Utf8 << ";"
            << QList<QStringList>{{"d", "e"}}
            << Notes{{What::NoWord, 1, {"x"}}, {What::ControlCharacter, 2, {"U+001B"}},
                     {What::TooLong, 3, {QString(30, u'y') + u'…'}}};
        QTest::newRow("Latin-2: ő and ű, not õ and û") << QByteArray("t\xFBz;t\xFBzben\n\xF5r;\xF5rn\xE9l\n") << E::Latin2 << ";"
                                                      << QList<QStringList>{{"tűz", "tűzben"}, {"őr", "őrnél"}} << Notes{};
        QTest::newRow("Windows-1250: its quotes") << QByteArray("\x84h\xE1z\x94;h\xE1zban\n\xD5r;\xD5rn\xE9l\n") << E::Windows1250
                                                 << ";" << QList<QStringList>{{"„ház”", "házban"}, {"Őr", "Őrnél"}} << Notes{};
        QTest::newRow("Latin-1: no ő or ű") << QByteArray("caf\xE9,k\xE1v\xE9z\xF3\n") << E::Latin1 << ","
                                           << QList<QStringList>{{"café", "kávézó"}} << Notes{};
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        QTest::newRow("UTF-16 with its byte order mark") << QByteArray(utf16(QStringLiteral("szó\tválasz\nkő\tkőnél\n")))
                                                         << E::Utf16 << "\t" << QList<QStringList>{{"kő", "kőnél"}}
                                                         << Notes{{What::Header, 1}};
        // Decomposed letters are taken as the reader and the learner's typing have them.
        QTest::newRow("NFC") << QByteArray("ha\xCC\x81z,ha\xCC\x81zban\n") << E::Utf8 << ","
                             << QList<QStringList>{{"ház", "házban"}} << Notes{};
    }

    void wordLists()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Import::Encoding, encoding);
        QFETCH(QString, separator);
        QFETCH(QList<QStringList>, rows);
        QFETCH(Notes, notes);
        const Import::Imported imported = Import::wordList(bytes);
        QVERIFY2(imported.exercise, qPrintable(said(imported)));
        QCOMPARE(rowsOf(*imported.exercise), rows);
        QVERIFY2(imported.report.notes == notes, qPrintable(said(imported)));
        QCOMPARE(imported.report.encoding, encoding);
        QCOMPARE(QString(imported.report.separator), separator);
        QCOMPARE(imported.report.takenLines.size(), std::size_t(rows.size()));
        readsBack(imported);
    }

    // A vocabulary's entries from the language chosen (the first besides Hungarian unless
    // given, by locale or name) to Hungarian.
    void vocabularies_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<Notes>("notes");
        const QByteArray entries = entry("0=house,1=ház,2=Haus") + entry("0=dog,2=Hund") +
                                   "<entry id=\"2\">\n<translation id=\"1\"><text>kert</text>"
                                   "<conjugation><text>kertek</text></conjugation></translation>\n"
                                   "<translation id=\"2\"><text>Garten</text></translation>\n</entry>\n" +
                                   entry("0=cat ,1= macska,2=Katze") + entry("0=cat,1=cica");
        QTest::newRow("the first language") << vocabulary(entries) << ""
                                            << QList<QStringList>{{"house", "ház"}, {"cat", "macska"}}
                                            << Notes{{What::NoTranslation, 12, {"hu_HU"}}, {What::NoTranslation, 13, {"en"}},
                                                     {What::AnotherAnswer, 18, {"cat", "cica"}, 17}};
        QTest::newRow("by its locale") << vocabulary(entries) << "de"
                                       << QList<QStringList>{{"Haus", "ház"}, {"Garten", "kert"}, {"Katze", "macska"}}
                                       << Notes{{What::NoTranslation, 12, {"hu_HU"}}, {What::NoTranslation, 18, {"de"}}};
        QTest::newRow("by its name") << vocabulary(entries) << "DEUTSCH"
                                     << QList<QStringList>{{"Haus", "ház"}, {"Garten", "kert"}, {"Katze", "macska"}}
                                     << Notes{{What::NoTranslation, 12, {"hu_HU"}}, {What::NoTranslation, 18, {"de"}}};
    }

    void vocabularies()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, from);
        QFETCH(QList<QStringList>, rows);
        QFETCH(Notes, notes);
        const Import::Imported imported = Import::kvtml(bytes, from);
        QVERIFY2(imported.exercise, qPrintable(said(imported)));
        QCOMPARE(rowsOf(*imported.exercise), rows);
        QVERIFY2(imported.report.notes == notes, qPrintable(said(imported)));
        QCOMPARE(imported.title, QStringLiteral("Állatok & ház"));
        readsBack(imported);
    }

    // GIFT questions with one gap to type, and every other kind left out and said with its line.
    void giftQuestions_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<Notes>("notes");
        QTest::newRow("short answers, escapes, feedback, weights")
            << QByteArray("// lesson 8\n$CATEGORY: mozi\n\n::Q1:: Holnap {=moziba#Jó!} megyünk.\n\n"
                          "::Q2::[html]Tegnap\n{=moziban =%100%a moziban ~%50%mozin ~moziba}\nvoltunk.\n\n"
                          "\\{Ez\\} 1\\=1 \\: {=igen\\~nem}\n\n::A\\:B:: Ki az? {\n=Anna\n}\n")
            << QList<QStringList>{{"Holnap", "moziba", "megyünk.", "Q1"}, {"Tegnap", "moziban", "voltunk.", "Q2"},
                                  {"{Ez} 1=1 :", "igen~nem", "", ""}, {"Ki az?", "Anna", "", "A:B"}}
            << Notes{{What::OtherRightAnswers, 6, {"a moziban"}}, {What::Choices, 6, {"mozin", "moziba"}}};
        QTest::newRow("every other kind of question")
            << QByteArray("Nincs rés.\n\nKét {=a} rés {=b}.\n\nIgaz? {T}\n\nPárok {=a -> b =c -> d}\n\n"
                          "Szám {#5:1}\n\nEsszé {}\n\nCsak rossz {~a ~b}\n\nJó {=ok}\n\nJó {=ok}\n")
            << QList<QStringList>{{"Jó", "ok", "", ""}}
            << Notes{{What::NoGap, 1},    {What::SeveralGaps, 3, {}, 2}, {What::TrueFalse, 5}, {What::Matching, 7},
                     {What::Numeric, 9}, {What::NoRightAnswer, 11},     {What::NoRightAnswer, 13}, {What::SameSentence, 17, {}, 15}};
        // Each said at its brace, and the questions after it still read.
        QTest::newRow("braces out of balance")
            << QByteArray("Egy\n{=a\n\nKettő {=b}}\n\nHárom { {=c}\n\nNégy {=d}\n")
            << QList<QStringList>{{"Négy", "d", "", ""}}
            << Notes{{What::BraceNeverClosed, 2}, {What::BraceNeverOpened, 4}, {What::BraceNeverClosed, 6}};
    }

    void giftQuestions()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QStringList>, rows);
        QFETCH(Notes, notes);
        const Import::Imported imported = Import::gift(bytes);
        QVERIFY2(imported.exercise, qPrintable(said(imported)));
        QCOMPARE(rowsOf(*imported.exercise), rows);
        QVERIFY2(imported.report.notes == notes, qPrintable(said(imported)));
        readsBack(imported);
    }

    // Files made to hurt, and the teacher's slips: each said in a sentence (a refusal, or what
    // was left out), within 2 s and 100 MB, whatever the file holds.
    void filesSaidQuickly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("size"); // a file of this size, holding nothing
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("sentence");
        const auto row = [](const char *name, const char *file, const QByteArray &bytes, bool refused, const char *sentence,
                            qint64 size = 0) {
            QTest::newRow(name) << QString::fromLatin1(file) << bytes << size << refused << QString::fromUtf8(sentence);
        };
        const QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [\n<!ENTITY lol \"lol\">\n" +
                                  repeated("<!ENTITY lol%1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n", 9) +
                                  "]>\n<kvtml version=\"2.0\"><information><title>&lol8;</title></information></kvtml>\n";
        row("KVTML: a billion laughs", "v.kvtml", laughs, true, "2: the file declares an entity of its own (lol)");
        row("KVTML: an external entity", "v.kvtml",
            "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>\n"
            "<kvtml version=\"2.0\"><information><title>&xxe;</title></information></kvtml>\n",
            true, "2: the file declares an entity (xxe) that would read another file or address");
        row("KVTML: a document type of its own", "v.kvtml", "<!DOCTYPE kvtml [<!ELEMENT kvtml ANY>]>\n<kvtml version=\"2.0\"/>",
            true, "1: the file declares a document type of its own (kvtml)");
        row("KVTML: another's document type", "v.kvtml", "<!DOCTYPE html SYSTEM \"http://example.org/x.dtd\"><kvtml version=\"2.0\"/>",
            true, "the file declares a document type of its own (html)");
        row("KVTML: an entity not declared", "v.kvtml", "<kvtml version=\"2.0\">\n<information><title>&xxe;</title>", true,
            "2: the file is not well-formed XML: Entity 'xxe' not declared.");
        row("KVTML: 100 MB", "v.kvtml", {}, true, "0: the file is larger than 20 MB", 100 * 1024 * 1024);
        row("KVTML: nested 3 million deep", "v.kvtml", "<kvtml version=\"2.0\">\n" + QByteArray("<a>").repeated(3'000'000), true,
            "2: elements are nested more than 32 deep here");
        row("KVTML: 300,000 attributes", "v.kvtml", "<kvtml version=\"2.0\">\n<entries>\n<entry " + repeated(" a%1=\"\"", 300'000) + "/>",
            true, "3: an element here has more than 64 attributes");
        row("KVTML: 50,001 entries", "v.kvtml", vocabulary(entry("0=a,1=b").repeated(50'001)), true,
            "the file has more than 50000 entries");
        row("KVTML: another encoding", "v.kvtml", "<?xml version=\"1.0\" encoding=\"ISO-8859-2\"?>\n<kvtml version=\"2.0\"/>", true,
            "the file is written in ISO-8859-2: save it as UTF-8");
        row("KVTML: no Hungarian", "v.kvtml",
            vocabulary(entry("0=a,1=b"), "<identifier id=\"0\"><locale>en</locale></identifier>\n"
                                         "<identifier id=\"1\"><locale>de</locale></identifier>\n"),
            true, "the file has no Hungarian words (no language of locale hu), only: en, de");
        row("KVTML: no other language", "v.kvtml", vocabulary(entry("0=a"), "<identifier id=\"0\"><locale>hu</locale></identifier>\n"),
            true, "the file has Hungarian words only");
        row("KVTML 1", "v.kvtml", "<kvtml version=\"1.0\"/>", true, "no KVTML 2.0 vocabulary: it begins with <kvtml version=\"1.0\">");
        row("CSV: a million rows", "w.csv", QByteArray("a,b\n").repeated(1'000'000), true, "the file has more than 50000 lines");
        row("CSV: 100 MB", "w.csv", {}, true, "0: the file is larger than 4 MB", 100 * 1024 * 1024);
        row("CSV: NUL bytes", "w.csv", QByteArray("a,b\nc\0,d\n", 9), true, "2: the file holds a NUL byte here");
        row("CSV: 10,001 words", "w.csv", repeated("w%1,a%1\n", 10'001), true,
            "10001: from here on there is more than one exercise holds (10000 words or 5000 sentences)");
        row("CSV: more text than a lesson file holds", "w.tsv",
            repeated(QByteArray("%1" + QByteArray(150, 'x') + "\t" + QByteArray(150, 'y') + "\n"), 5'000), true,
            "4691: from here on there is more text than a lesson file holds (1.43 MB)");
        row("CSV: a formula", "w.csv", "@SUM(A1:A9),x\n", false, "1: \"@SUM(A1:A9)\" is taken as text, though a spreadsheet");
        row("CSV: nothing to take", "w.txt", "egy\nkettő\n", true,
            "1: left out: \"egy\" has no answer\n2: left out: \"kettő\" has no answer\n0: nothing in the file could be taken");
        row("Latin-2 text", "w.txt", "h\xE1z\tk\xF5\n", false, "Latin-2 (ISO 8859-2, Central European)");
        row("GIFT: braces out of balance", "q.gift", "Egy {=a\n\nKettő {=b}\n", false,
            "1: left out: this { is never closed; put a } where its answers end");
        row("GIFT: in a .txt", "q.txt", "Kettő }{=b}\n", true, "1: left out: this } closes no {");
        row("a folder", "folder.csv", {}, true, "it is a folder, a device or a pipe, not a file");
        row("a pipe", "pipe.gift", {}, true, "it is a folder, a device or a pipe, not a file");
        row("an unknown kind", "w.doc", "a,b\n", true, "the kind of file is not known by its name");
    }

    void filesSaidQuickly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        QFETCH(QString, sentence);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (name.startsWith(u"folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (name.startsWith(u"pipe")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
            QVERIFY(size == 0 || file.resize(size));
        }
        PeakMemory::reset(); // the peak is now what is resident
        const double before = PeakMemory::mib();
        QElapsedTimer timer;
        timer.start();
        const Import::Imported imported = Import::file(path);
        const qint64 took = timer.elapsed();
        const double grown = PeakMemory::mib() - before;
        QVERIFY2(said(imported).contains(sentence), qPrintable(said(imported)));
        QCOMPARE(imported.refusal.has_value(), refused);
        QCOMPARE(imported.exercise.has_value(), !refused);
        QVERIFY2(took < 2000, qPrintable(QStringLiteral("%1 ms").arg(took)));
        QVERIFY2(grown < 100, qPrintable(QStringLiteral("%1 MiB").arg(grown)));
    }

    // What teachers import most: a long word list and a large vocabulary, in their time and memory.
    void largeImports_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("items");
        QTest::newRow("a word list of 10,000 lines") << "w.csv" << repeated("szó%1;szó%1ban\n", 10'000) << 10'000;
        QTest::newRow("a vocabulary of 5,000 entries") << "v.kvtml" << vocabulary(repeated(entry("0=word%1,1=szó%1,2=Wort%1"), 5'000))
                                                       << 5'000;
    }

    void largeImports()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, items);
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        PeakMemory::reset(); // the peak is now what is resident
        const double before = PeakMemory::mib();
        QElapsedTimer timer;
        timer.start();
        const Import::Imported imported = Import::file(file.fileName());
        const qint64 took = timer.elapsed();
        const double grown = PeakMemory::mib() - before;
        QVERIFY2(imported.exercise, qPrintable(said(imported)));
        QCOMPARE(rowsOf(*imported.exercise).size(), items);
        qInfo("%s (%lld bytes): %lld ms, peak resident memory %.1f MiB above the %.1f MiB before", qPrintable(name),
              qint64(bytes.size()), took, grown, before);
        QVERIFY(took < 2000 && grown < 100);
    }
};

QTEST_GUILESS_MAIN(tst_Import)
#include "tst_import.moc"
