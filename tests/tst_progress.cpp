#include "ExerciseSession.h"

#include "exercises/b07d4/b07d4.h"
#include "exercises/sentences/SentenceTable.h"
#include "common/Csv.h"
#include "record/MistakeRule.h"
#include "record/ProgressSchema.h"
#include "record/Record.h"
#include "review/ReviewWindow.h"
#include "record/SideFile.h"
#include "class/ClassSync.h"
#include "progress/ProgressWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QScopeGuard>
#include <QLockFile>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <map>

#include <unistd.h>


using TestSupport::exported;
using TestSupport::figuresOf;
using TestSupport::mistakesOf;
using TestSupport::pressEnter;
using TestSupport::ReadOnlyFolder;
using TestSupport::retype;
using TestSupport::settledStatus;

namespace {

const QStringList Lesson7Ids{QStringLiteral("1a"), QStringLiteral("1b"), QStringLiteral("1c"), QStringLiteral("2"),
                             QStringLiteral("3"),  QStringLiteral("4"),  QStringLiteral("5"),  QStringLiteral("6")};

// Column numbers of the export.
enum Column { Time, ExerciseColumn, RunColumn, Person, Item, Expected, Given, Right, SolutionShown, Retry, LessonColumn };

void addAnswer(Record &store, const QString &exercise, const QString &item, bool right, bool solution = false,
               bool retry = false, const QString &lesson = TestSupport::lesson7Id())
{
    ProgressRecord::Answer answer = TestSupport::answerOf(exercise, item, item + QStringLiteral("-right"),
                                                          right ? item + QStringLiteral("-right") : QStringLiteral("wrong"),
                                                          right, solution, retry);
    answer.lesson = lesson;
    store.answerJudged(answer);
}

// Holds the record's write lock from a connection of its own, as another copy
// of the program writing at that moment would, until released.
class FileHolder
{
public:
    explicit FileHolder(const QString &path) : db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), Name))
    {
        db.setDatabaseName(path);
        held = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~FileHolder() { release(); }
    // Closing gives the lock back, as a copy that ends does.
    void release()
    {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(Name);
    }
    bool held = false;

private:
    static inline const QString Name = QStringLiteral("holder");
    QSqlDatabase db;
};

// Writes into the file behind the program's back, as an older version (its
// schema made first, when given) or a long history would have left it.
bool runSql(const QString &path, const QStringList &statements, int schemaVersion = 0)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("by hand"));
        db.setDatabaseName(path);
        ok = db.open() && (schemaVersion == 0 || !ProgressSchema::migrate(db, 0, schemaVersion).isValid());
        for (const QString &statement : statements)
            ok = ok && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("by hand"));
    return ok;
}

// The runs of the record by number, read behind the program's back.
struct RunRow
{
    QString started;
    QString ended; // empty: not ended
    QString outcome;
    QVariant endOrder;
    QString lastAnswer; // the time of its last answer; empty: none
};

std::map<qint64, RunRow> runsOf(const QString &path)
{
    std::map<qint64, RunRow> runs;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("runs"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("SELECT id, started, ended, outcome, end_order, "
                                                   "(SELECT max(at) FROM answers WHERE run = runs.id) FROM runs"))) {
            while (query.next())
                runs[query.value(0).toLongLong()] = {query.value(1).toString(), query.value(2).toString(),
                                                     query.value(3).toString(), query.value(4), query.value(5).toString()};
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("runs"));
    return runs;
}

// The answers of the record, each once: the items they were given for.
QStringList recordedItems(const QString &path)
{
    Record store(path);
    QStringList items;
    for (const QStringList &record : exported(store).mid(1))
        items << record.at(Item);
    return items;
}

} // namespace

class tst_Progress : public ExerciseSession
{
    Q_OBJECT

private:
    QLineEdit *answer() const { return find<QLineEdit>("Text1"); }
    QString cue() const { return find<QLabel>("Label8")->text().trimmed(); }

    QString suffixAnswer(Exercise drill, const QString &base) const { return TestSupport::suffixAnswer(drill, base); }
    void answerWith(const QString &text)
    {
        retype(answer(), text);
        pressEnter(answer());
    }
    // Answers the item on show right; `wrongFirst` times wrong before that.
    QString answerItem(Exercise drill, int wrongFirst = 0)
    {
        const QString base = cue();
        for (int i = 0; i < wrongFirst; ++i)
            answerWith(QStringLiteral("rossz"));
        answerWith(suffixAnswer(drill, base));
        return base;
    }
    void restartWith(Record *store)
    {
        program = std::make_unique<Program>(feedback, random, store);
        program->quit = [this] { ++quits; };
    }
    ProgressWindow &openProgress()
    {
        window()->window()->findChild<QAction *>(QStringLiteral("mnuProgress"))->trigger();
        ProgressWindow &progress = program->progress();
        [&] { QVERIFY(progress.isLoaded()); }();
        return progress;
    }

private Q_SLOTS:
    // A run of 1a with two items missed: every answer is recorded with its marks,
    // and the run as accomplished; the Progress window shows it and practises
    // exactly the two words missed.
    void runRecordedAndMistakesPractised()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        auto store = std::make_unique<Record>(path);
        restartWith(store.get());
        open(Lesson7::Ex1a);
        startButton()->click();
        QStringList missed;
        const auto done = [this] { return feedback.lastText() == program->shared().MsgDone; };
        for (int item = 0; !done() && item < 40; ++item) {
            if (item == 2 || item == 5) {
                missed << answerItem(Lesson7::Ex1a, 1);
            } else if (item == 3) {
                solutionButton()->click();
                missed << answerItem(Lesson7::Ex1a);
            } else {
                answerItem(Lesson7::Ex1a);
            }
        }
        QVERIFY(done());

        // The program ends and starts again: the record is read back from its file.
        program->end();
        program.reset();
        store = std::make_unique<Record>(path);
        restartWith(store.get());
        const QList<QStringList> records = exported(program->record());
        QVERIFY(records.size() > 16);
        QCOMPARE(records.first().at(Item), QStringLiteral("item"));
        int wrong = 0, retries = 0, solutions = 0;
        for (const QStringList &record : records.mid(1)) {
            QCOMPARE(record.size(), 11);
            QCOMPARE(record.at(ExerciseColumn), QStringLiteral("1a"));
            QCOMPARE(record.at(LessonColumn), TestSupport::lesson7().id);
            QCOMPARE(record.at(RunColumn), QStringLiteral("basic"));
            QVERIFY(QDateTime::fromString(record.at(Time), Qt::ISODateWithMs).isValid());
            QVERIFY(record.at(Time).endsWith(u'Z'));
            wrong += record.at(Right) == u"no";
            retries += record.at(Retry) == u"yes";
            solutions += record.at(SolutionShown) == u"yes";
            if (record.at(Right) == u"no")
                QCOMPARE(record.at(Given), QStringLiteral("rossz"));
        }
        QCOMPARE(wrong, 2);
        QVERIFY(retries >= 2);
        QCOMPARE(solutions, 1);

        program->showMainMenu(false);
        program->mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuProgress"))->trigger();
        ProgressWindow &progress = program->progress();
        QVERIFY(progress.isLoaded());
        QWidget *shown = progress.window();
        auto *grid = shown->findChild<QGroupBox *>();
        QVERIFY(grid);
        const auto texts = [grid] {
            QStringList all;
            for (QLabel *label : grid->findChildren<QLabel *>())
                all << label->text();
            return all;
        };
        QTRY_VERIFY(texts().contains(QStringLiteral("1 / 0")));
        auto *table = shown->findChild<QTableWidget *>(QStringLiteral("missed"));
        QStringList listed;
        for (int row = 0; row < table->rowCount(); ++row) {
            listed << table->item(row, 1)->text();
            QCOMPARE(table->item(row, 2)->text(), suffixAnswer(Lesson7::Ex1a, table->item(row, 1)->text()));
        }
        for (const QString &word : missed)
            QVERIFY2(listed.contains(word), qPrintable(word));
        QVERIFY(!shown->findChild<QPushButton *>(QStringLiteral("practise1b"))->isEnabled());
        QVERIFY(!shown->findChild<QPushButton *>(QStringLiteral("practise1b"))->toolTip().isEmpty());

        // Practise: the window opens for 1a and asks exactly the missed words, once each.
        feedback.clear();
        shown->findChild<QPushButton *>(QStringLiteral("practise1a"))->click();
        QTRY_VERIFY(!progress.isLoaded());
        QVERIFY(window()->isLoaded() && !program->mainMenu().isLoaded());
        QStringList asked;
        while (feedback.messages.isEmpty() && asked.size() < 10) {
            asked << cue();
            answerItem(Lesson7::Ex1a);
        }
        QCOMPARE(feedback.lastText(), program->shared().MsgDone);
        asked.sort();
        missed.sort();
        missed.removeDuplicates();
        QCOMPARE(asked, missed);
        // Afterwards the window is as after a basic run.
        QCOMPARE(startButton()->text(), QStringLiteral("&Restart"));
        QVERIFY(plusButton()->isEnabled());
        feedback.clear();
        startButton()->click();
        QCOMPARE(window()->runProgress().length, TestSupport::drillOf(Lesson7::Ex1a).basic);
    }

    // The sentence exercises record the finished sentence as the item and practise it again.
    void sentencesPractised()
    {
        open(Lesson7::Ex5);
        random.script({0.0});
        startButton()->click();
        const LessonModel::SentenceRow &row =
            std::get<LessonModel::SentenceExercise>(TestSupport::lesson7(Lesson7::Ex5).content).rows.front();
        retype(find<QLineEdit>("Text1"), QStringLiteral("rossz"));
        pressEnter(find<QLineEdit>("Text1"));
        closeButton()->click();
        const QStringList mistakes = mistakesOf(program->record(), QStringLiteral("5"));
        QCOMPARE(mistakes.size(), 1);
        QVERIFY(mistakes.first().contains(row.answer));
        program->practiseMistakes(Lesson7::Ex5, mistakes);
        current = Lesson7::Ex5;
        QVERIFY(window()->isLoaded());
        QCOMPARE(window()->runProgress().length, 1);
        QCOMPARE(find<QLineEdit>("Text2")->text(), row.before);
    }

    // A run of the learner's mistakes says so in its window's heading, with how many
    // items it asks; Start or another drill gives the designed heading back. A
    // button whose mistakes are gone from the record meanwhile turns itself off.
    void mistakesRunShown_data()
    {
        QTest::addColumn<Exercise>("exercise");
        QTest::addColumn<Exercise>("other"); // a drill the window switches to in place
        QTest::addColumn<QStringList>("keys"); // two items as the record names them
        const auto &words = TestSupport::drillOf(Lesson7::Ex1a).items;
        const auto &fifth = std::get<LessonModel::SentenceExercise>(TestSupport::lesson7(Lesson7::Ex5).content);
        QTest::newRow("b07d1") << Lesson7::Ex1a << Lesson7::Ex1b << QStringList{words[0].cue, words[1].cue};
        QTest::newRow("b07d4") << Lesson7::Ex5 << Lesson7::Ex4
                               << QStringList{SentenceTable::key(fifth.rows[0]), SentenceTable::key(fifth.rows[1])};
    }

    void mistakesRunShown()
    {
        QFETCH(Exercise, exercise);
        QFETCH(Exercise, other);
        QFETCH(QStringList, keys);
        const auto heading = [this] { return find<QLabel>("Label2")->text(); };
        open(other);
        const QString otherHeading = heading();
        closeButton()->click();
        open(exercise);
        const QString designed = heading();
        const QString code = exerciseCode(exercise);
        for (const QString &key : keys)
            addAnswer(program->record(), code, key, false);

        for (const bool byStart : {true, false}) {
            QPushButton *button = openProgress().window()->findChild<QPushButton *>(QStringLiteral("practise") + code);
            QTRY_VERIFY(button->isEnabled());
            button->click();
            QTRY_COMPARE(window()->runProgress().length, 2);
            QVERIFY2(heading().contains(QStringLiteral("mistakes")) && heading().contains(QStringLiteral("2 items")),
                     qPrintable(heading()));
            if (byStart) {
                // Start comes back when the run is over.
                for (int item = 0; item < 2; ++item) {
                    feedback.clear();
                    solutionButton()->click();
                    answerWith(feedback.lastText().section(u':', 1).trimmed());
                }
                QCOMPARE(feedback.lastText(), program->shared().MsgDone);
                startButton()->click();
                QCOMPARE(heading(), designed);
            } else {
                goTo(other)->click();
                QCOMPARE(heading(), otherHeading);
                startButton()->click();
                QCOMPARE(heading(), otherHeading);
            }
        }

        QPushButton *practise = openProgress().window()->findChild<QPushButton *>(QStringLiteral("practise") + code);
        QTRY_VERIFY(practise->isEnabled());
        // Forgotten behind the window's back (as another copy would): the button finds nothing left.
        program->record().forget().waitForFinished();
        practise->click();
        QTRY_VERIFY(!practise->isEnabled());
        QVERIFY(program->progress().isLoaded());
    }

    void mistakeRule_data()
    {
        QTest::addColumn<QString>("history"); // per answer: item, then r(ight) w(rong) s(olution) t(retry)
        QTest::addColumn<QStringList>("practise");
        QTest::newRow("never missed") << "a:r a:r b:r" << QStringList{};
        QTest::newRow("missed once") << "a:w a:rt" << QStringList{"a"};
        QTest::newRow("solution needed") << "a:rs" << QStringList{"a"};
        QTest::newRow("then right once") << "a:w a:r" << QStringList{"a"};
        QTest::newRow("then right twice in a row") << "a:w a:r a:r" << QStringList{};
        QTest::newRow("a retry breaks the row") << "a:w a:r a:rt a:r" << QStringList{"a"};
        QTest::newRow("missed again later") << "a:w a:r a:r a:w" << QStringList{"a"};
        QTest::newRow("solution breaks the row") << "a:w a:r a:rs a:r" << QStringList{"a"};
        QTest::newRow("order of first mistake") << "b:w a:w c:r b:r" << QStringList{"b", "a"};
    }

    void mistakeRule()
    {
        QFETCH(QString, history);
        QFETCH(QStringList, practise);
        // The rule applied answer by answer, as the record applies it; and the record itself.
        QMap<QString, ItemState> states;
        QStringList order;
        Record store(QStringLiteral(":memory:"));
        for (const QString &entry : history.split(u' ')) {
            const QString item = entry.section(u':', 0, 0), marks = entry.section(u':', 1);
            const Attempt attempt{item, marks.contains(u'r'), marks.contains(u's'), marks.contains(u't')};
            states[item] = AfterAttempt(states.value(item), attempt);
            if (states[item].open && !order.contains(item))
                order << item;
            store.answerJudged(TestSupport::answerOf(QStringLiteral("1a"), item, item, item, attempt.right, attempt.solutionShown, attempt.retry));
        }
        order.removeIf([&states](const QString &item) { return !states.value(item).open; });
        QCOMPARE(order, practise);
        QCOMPARE(mistakesOf(store, QStringLiteral("1a")), practise);
    }

    void csvQuoting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "orvosnál" << "orvosnál";
        QTest::newRow("comma") << "a, b" << "\"a, b\"";
        QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
        QTest::newRow("line break") << "a\nb" << "\"a\nb\"";
        QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
        QTest::newRow("formula =") << "=1+1" << "'=1+1";
        QTest::newRow("formula +") << "+36" << "'+36";
        QTest::newRow("formula -") << "-nál" << "'-nál";
        QTest::newRow("formula @") << "@SUM(A1)" << "'@SUM(A1)";
        QTest::newRow("formula with comma") << "=A1,B1" << "\"'=A1,B1\"";
        QTest::newRow("formula behind a tab") << "\t=1+1" << "'\t=1+1";
        QTest::newRow("formula behind a carriage return") << "\r=1+1" << "\"'\r=1+1\"";
        QTest::newRow("empty") << "" << "";
    }

    void csvQuoting()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(Csv::field(text), field);
        QCOMPARE(Csv::record({text, text}), field + u',' + field + QStringLiteral("\r\n"));
    }

    // What a learner typed comes back out of the record unchanged, and shows as plain text.
    void learnerTextStaysText()
    {
        const QString typed = QStringLiteral("<b>bold</b>, \"=2+2\"\nnext");
        Record store(QStringLiteral(":memory:"));
        store.answerJudged(TestSupport::answerOf(QStringLiteral("1a"), typed, typed, typed, false));
        const QList<QStringList> records = exported(store);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1].at(Given), typed);
        QCOMPARE(records[1].at(Item), typed);
        ProgressWindow window(store, feedback);
        window.Show();
        auto *table = window.window()->findChild<QTableWidget *>(QStringLiteral("missed"));
        QTRY_COMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 1)->text(), typed);
        window.Unload();
    }

    // Whatever is wrong with the file, the record says so in one sentence naming the
    // file, and never stops the exercises.
    void failuresNeverStopTheExercises_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("folder cannot be created") << "no folder" << "cannot be created";
        QTest::newRow("file is not a database") << "corrupt" << "moved aside";
        QTest::newRow("newer schema") << "newer" << "newer version";
        QTest::newRow("disk full") << "full" << "failed";
    }

    void failuresNeverStopTheExercises()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        const QByteArray garbage("This is a learner's note, not a database.\n");
        if (kind == u"no folder") {
            QFile blocker(dir.filePath(QStringLiteral("data")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            path = dir.filePath(QStringLiteral("data/progress.sqlite")); // its folder would be a file
        } else if (kind == u"corrupt") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage.repeated(200));
        } else if (kind == u"newer") {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 99"));
            db.close();
        }
        const QByteArray before = QFile::exists(path) && kind != u"corrupt" ? [&] {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }() : QByteArray();
        QSqlDatabase::removeDatabase(QStringLiteral("newer"));

        Record store(path);
        if (kind == u"full") {
            // The file may not grow: a few answers fill the pages it has.
            store.limitPages(1);
            for (int i = 0; i < 200 && settledStatus(store).problem.isEmpty(); ++i)
                addAnswer(store, QStringLiteral("1a"), QString(500, u'x') + QString::number(i), true);
        }
        program.reset();
        restartWith(&store);
        open(Lesson7::Ex1a);
        startButton()->click();
        for (int item = 0; item < 3; ++item)
            answerItem(Lesson7::Ex1a, item == 1 ? 1 : 0);
        QCOMPARE(feedback.beeps, 1);
        QCOMPARE(window()->runProgress().counted, 2);

        const QString problem = settledStatus(store).problem;
        QVERIFY2(problem.contains(says), qPrintable(problem));
        QVERIFY2(problem.contains(kind == u"no folder" ? dir.filePath(QStringLiteral("data")) : path), qPrintable(problem));
        QVERIFY(problem.endsWith(u'.') && !problem.contains(u'\n'));
        ProgressWindow &progress = openProgress();
        auto *shownProblem = progress.window()->findChild<QLabel *>(QStringLiteral("problem"));
        QTRY_VERIFY(shownProblem->isVisibleTo(progress.window()));
        QTRY_VERIFY2(shownProblem->text().startsWith(problem), qPrintable(shownProblem->text()));
        // A newer version's file has tables of its own: it cannot be read, and it is not shown as empty.
        QCOMPARE(shownProblem->text().contains(QStringLiteral("cannot be shown: reading")), kind == u"newer");
        QCOMPARE(shownProblem->textFormat(), Qt::PlainText);
        // However many lines the sentence takes, the figures below keep theirs.
        const QList<QLabel *> figures = progress.window()->findChild<QGroupBox *>()->findChildren<QLabel *>();
        QTRY_VERIFY(std::all_of(figures.begin(), figures.end(), [](QLabel *label) {
            return label->height() >= label->minimumSizeHint().height();
        }));

        if (kind == u"corrupt") {
            // Moved aside under a name with the time, never deleted; a fresh file records.
            const QStringList aside = QDir(dir.path()).entryList({QStringLiteral("progress.sqlite.unreadable-*")});
            QCOMPARE(aside.size(), 1);
            QFile moved(dir.filePath(aside.first()));
            QVERIFY(moved.open(QIODevice::ReadOnly));
            QCOMPARE(moved.readAll(), garbage.repeated(200));
            QVERIFY(exported(store).size() > 3);
        } else if (kind == u"newer") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before); // left as it is
        }
    }

    // A record killed in the middle of writing keeps every answer written before the last.
    void survivesAKill()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/progress_writer");
        for (int round = 0; round < 5; ++round) {
            QProcess child;
            child.start(writer, {path});
            QVERIFY(child.waitForStarted());
            long last = 0;
            const long stopAt = 20 + round * 37;
            while (last < stopAt && child.waitForReadyRead(5000)) {
                const QList<QByteArray> lines = child.readAll().split('\n');
                for (const QByteArray &line : lines) {
                    if (!line.isEmpty())
                        last = line.toLong();
                }
            }
            child.kill(); // SIGKILL: no chance to finish the write in hand
            child.waitForFinished();
            QVERIFY(last >= stopAt);

            Record reopened(path);
            reopened.prepare();
            QVERIFY2(settledStatus(reopened).problem.isEmpty(), qPrintable(reopened.status().problem));
            QSet<QString> items;
            for (const QStringList &record : exported(reopened).mid(1))
                items.insert(record.at(Item));
            for (long n = 1; n <= last; ++n)
                QVERIFY2(items.contains(QStringLiteral("item %1").arg(n)), qPrintable(QString::number(n)));
        }
    }

    // Answers given quickly while another copy holds the file: each goes to the side file
    // before the next is taken, never waiting in memory while the record waits for the
    // file, so that a copy killed then loses none given more than a moment before. The
    // first kill comes while the copy's first wait for the file is still on, the others
    // during the waits that follow.
    void answersKeptWhileTheFileIsHeld_data()
    {
        QTest::addColumn<int>("killAfter"); // ms after the first answer
        QTest::newRow("in the first wait") << 150;
        QTest::newRow("in a later wait") << 900;
        QTest::newRow("later still") << 1700;
    }

    void answersKeptWhileTheFileIsHeld()
    {
        QFETCH(int, killAfter);
        // What a kill may take: an answer given this shortly before it may not be on disk yet.
        constexpr qint64 MomentMs = 100;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record(path).prepare();
        FileHolder holder(path);
        QVERIFY(holder.held);
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/progress_writer"), {QStringLiteral("--fast"), path});
        QVERIFY(child.waitForStarted());
        std::map<long, qint64> given; // the answer's number, when it was given
        const auto readGiven = [&child, &given] {
            for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
                if (const QList<QByteArray> fields = line.split(' '); fields.size() == 2)
                    given[fields[0].toLong()] = fields[1].toLongLong();
            }
        };
        QElapsedTimer clock;
        while (given.empty() || given.rbegin()->second < given.begin()->second + killAfter) {
            QVERIFY(child.waitForReadyRead(5000));
            readGiven();
        }
        clock.start();
        const qint64 killedAt = clock.msecsSinceReference();
        child.kill();
        QVERIFY(child.waitForFinished());
        readGiven();
        holder.release();

        const QStringList items = recordedItems(path);
        int checked = 0;
        for (const auto &[number, at] : given) {
            if (at > killedAt - MomentMs)
                continue;
            ++checked;
            QVERIFY2(items.contains(QStringLiteral("item %1").arg(number)),
                     qPrintable(QStringLiteral("answer %1 of %2, given %3 ms before the kill")
                                    .arg(number).arg(given.size()).arg(killedAt - at)));
        }
        QVERIFY(checked >= 3);
    }

    // A run is always ended: one left open by a copy killed mid-run is ended as interrupted
    // at the next start, at its last answer, and sent to a class server as the runs ended
    // before it are; never while another copy runs, which may still end it, and never a
    // run the starting copy began itself (here before the busy file let it open).
    void leftRunsEndedAtTheNextStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record(path).prepare();
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/progress_writer"), {path});
        QVERIFY(child.waitForStarted());
        QByteArray printed;
        QTRY_VERIFY_WITH_TIMEOUT((printed += child.readAllStandardOutput()).contains("3\n"), 10000);
        QCOMPARE(runsOf(path).size(), 1u);
        const qint64 childRun = runsOf(path).begin()->first;
        {
            Record second(path);
            second.prepare();
            settledStatus(second);
            QVERIFY(runsOf(path).at(childRun).ended.isEmpty()); // the child still runs
            child.kill();
            QVERIFY(child.waitForFinished());
            Record third(path);
            third.prepare();
            settledStatus(third);
            QVERIFY(runsOf(path).at(childRun).ended.isEmpty()); // the second copy still runs
        }
        qint64 ownRun = 0;
        {
            FileHolder holder(path);
            QVERIFY(holder.held);
            Record store(path);
            ownRun = store.runStarted(TestSupport::lesson7Id(), QStringLiteral("1a"), ProgressRecord::Variant::Basic, {});
            QVERIFY(settledStatus(store).problem.contains(QStringLiteral("another copy")));
            holder.release();
            QTRY_COMPARE(runsOf(path).at(childRun).outcome, QStringLiteral("interrupted"));
            const std::map<qint64, RunRow> runs = runsOf(path);
            QVERIFY(!runs.at(childRun).lastAnswer.isEmpty());
            QCOMPARE(runs.at(childRun).ended, runs.at(childRun).lastAnswer);
            QVERIFY(runs.at(childRun).endOrder.toLongLong() > 0);
            QVERIFY(runs.at(ownRun).ended.isEmpty());
            QCOMPARE(store.unsent(QStringLiteral("anna@school:5432/bimbala"), 10).result().runs.size(), 1u);
        }
        // Its own run, left open in turn, is ended by the next start, at its beginning (no answer).
        {
            Record next(path);
            next.prepare();
            settledStatus(next);
        }
        const std::map<qint64, RunRow> runs = runsOf(path);
        QCOMPARE(runs.at(ownRun).outcome, QStringLiteral("interrupted"));
        QCOMPARE(runs.at(ownRun).ended, runs.at(ownRun).started);
        QVERIFY(runs.at(ownRun).endOrder.toLongLong() > runs.at(childRun).endOrder.toLongLong());
        // The last copy to end leaves nothing beside the record.
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("progress.sqlite.*")}), QStringList());
    }

    // Two copies of the program write to one file at once; neither fails, neither waits long,
    // and an answer that found the file busy is written once it is free.
    void twoCopiesShareTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record first(path);
        Record second(path);
        for (int i = 0; i < 20; ++i) {
            addAnswer(first, QStringLiteral("1a"), QStringLiteral("first %1").arg(i), true);
            addAnswer(second, QStringLiteral("4"), QStringLiteral("second %1").arg(i), false);
        }
        settledStatus(first);
        settledStatus(second);
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            holder.setDatabaseName(path);
            QVERIFY(holder.open());
            QSqlQuery hold(holder);
            // Written ahead in a log, so a reader never blocks a writer and a kill loses nothing committed.
            QVERIFY(hold.exec(QStringLiteral("PRAGMA journal_mode")) && hold.next());
            QCOMPARE(hold.value(0).toString(), QStringLiteral("wal"));
            hold.finish();
            QVERIFY(hold.exec(QStringLiteral("BEGIN IMMEDIATE")));
            addAnswer(first, QStringLiteral("1a"), QStringLiteral("while busy"), true);
            QVERIFY(settledStatus(first).problem.contains(QStringLiteral("another copy")));
            QVERIFY(hold.exec(QStringLiteral("COMMIT")));
            holder.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        addAnswer(first, QStringLiteral("1a"), QStringLiteral("after"), true);
        QTRY_VERIFY(settledStatus(first).problem.isEmpty() && settledStatus(second).problem.isEmpty());
        QCOMPARE(exported(first).size(), 1 + 20 + 20 + 2);
    }

    // The record opens once the main menu is on screen, never before.
    void opensAfterTheMainMenu()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/progress.sqlite"));
        Record store(path);
        program.reset();
        restartWith(&store);
        program->start();
        QVERIFY(!QFile::exists(path));
        QTRY_VERIFY_WITH_TIMEOUT(program->mainMenu().isLoaded(), 5000);
        QTRY_VERIFY(QFile::exists(path));
        program->end();
    }

    // Forget asks first; No keeps everything, Yes empties the record.
    void forgetAsksFirst()
    {
        open(Lesson7::Ex1a);
        addAnswer(program->record(), QStringLiteral("1a"), QStringLiteral("orvos"), false);
        ProgressWindow &progress = openProgress();
        auto *forget = progress.window()->findChild<QPushButton *>(QStringLiteral("forget"));
        feedback.answerYes = false;
        forget->click();
        QCOMPARE(exported(program->record()).size(), 2);
        QVERIFY(!feedback.lastText().contains(u"class server"));
        // With a class server the learner is told that what was sent stays there.
        {
            ClassSync joined(program->record(), {QStringLiteral("127.0.0.1"), 1, QStringLiteral("bimbala"),
                                                 QStringLiteral("anna"), {}, QStringLiteral("/nonexistent")});
            progress.setClassSync(&joined);
            forget->click();
            progress.setClassSync(nullptr);
        }
        QVERIFY(feedback.lastText().contains(u"the class server keeps what was sent"));
        const auto shareOf1a = [&progress] {
            auto *grid = static_cast<QGridLayout *>(progress.window()->findChild<QGroupBox *>()->layout());
            return static_cast<QLabel *>(grid->itemAtPosition(1, 3)->widget())->text();
        };
        QTRY_COMPARE(shareOf1a(), QStringLiteral("0 %"));
        feedback.answerYes = true;
        forget->click();
        QCOMPARE(exported(program->record()).size(), 1);
        // Every figure goes with the answers: the misses, the shares of the days.
        QTRY_COMPARE(progress.window()->findChild<QTableWidget *>(QStringLiteral("missed"))->rowCount(), 0);
        QTRY_COMPARE(shareOf1a(), QStringLiteral("–"));

        // Export: the file the learner picked holds the header and every answer.
        addAnswer(program->record(), QStringLiteral("1a"), QStringLiteral("a,\"b\""), false);
        QTemporaryDir dir;
        feedback.fileToSave = dir.filePath(QStringLiteral("answers.csv"));
        progress.window()->findChild<QPushButton *>(QStringLiteral("export"))->click();
        QTRY_COMPARE(feedback.lastText(), QStringLiteral("Your answers were written to %1.").arg(feedback.fileToSave));
        QFile file(feedback.fileToSave);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(csv.startsWith("time (UTC),exercise,"));
        QVERIFY(csv.contains("\"a,\"\"b\"\"\""));
        QCOMPARE(csv.count("\r\n"), 2);
    }

    // Every window with a menu bar offers Progress after How to and before About; the
    // window's controls can all be named by a screen reader.
    void reachableAndNamed()
    {
        open(Lesson7::Ex6);
        QStringList order;
        for (QAction *action : window()->window()->findChild<QMenu *>(QStringLiteral("mnuHelp"))->actions())
            order << action->objectName();
        QCOMPARE(order, (QStringList{QStringLiteral("mnuHow"), QStringLiteral("mnuProgress"), QStringLiteral("mnuAbout")}));
        ProgressWindow &progress = openProgress();
        // The chart comes from its module, loaded now and not at start-up.
        auto *chart = progress.window()->findChild<QWidget *>(QStringLiteral("chart"));
        QCOMPARE(QByteArray(chart->metaObject()->className()), QByteArray("QChartView"));
        for (QWidget *control : progress.window()->findChildren<QWidget *>()) {
            if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisibleTo(progress.window()))
                continue;
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->metaObject()->className() + QStringLiteral(" ") + control->objectName() +
                                QStringLiteral(" in ") + control->parentWidget()->metaObject()->className()));
        }
        progress.Unload();
        program->showMainMenu(false);
        QVERIFY(program->mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuProgress")));
    }

    // Two copies started together on a new record, many times: the file is
    // created once, nothing is moved aside, and every answer of both is in it once.
    void twoCopiesStartTogether()
    {
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/progress_writer");
        for (int round = 0; round < 12; ++round) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
            QProcess first, second;
            first.start(writer, {path, QStringLiteral("10"), QStringLiteral("first")});
            second.start(writer, {path, QStringLiteral("10"), QStringLiteral("second")});
            QVERIFY(first.waitForFinished(30000) && second.waitForFinished(30000));
            QCOMPARE(first.exitCode() + second.exitCode(), 0);
            QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("progress.sqlite.*")}), QStringList());
            QStringList items = recordedItems(path);
            QCOMPARE(items.size(), 20);
            items.removeDuplicates();
            QCOMPARE(items.size(), 20);
        }
    }

    // Whatever state the file is in when the learner answers, they are told what
    // happens in one sentence, and no answer is lost, hidden or doubled, in the record
    // or in its figures.
    void fileStates_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("recorded"); // -1: every answer given
        QTest::newRow("busy at an answer") << "busy" << "3 answers wait to be recorded: another copy" << 3;
        QTest::newRow("busy at exit, then killed") << "killed" << "" << 3;
        QTest::newRow("busy at Forget") << "forget" << "was not forgotten: another copy" << 3;
        QTest::newRow("read-only folder") << "read-only" << "new answers cannot be recorded: the folder" << 2;
        QTest::newRow("disk full, then space again") << "full" << "to be recorded: writing to" << -1;
        QTest::newRow("nothing can keep them") << "unkept" << "will be lost when Bimbala! ends" << -1;
        QTest::newRow("side file written before, and bad lines") << "side file" << "2 entries left waiting" << 4;
        QTest::newRow("first schema") << "older" << "" << 3;
        QTest::newRow("schema 4, sent to a server") << "schema 4" << "" << 3;
    }

    void fileStates()
    {
        QFETCH(QString, state);
        QFETCH(QString, told);
        QFETCH(int, recorded);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data"));
        const QString path = folder + QStringLiteral("/progress.sqlite");
        QString said;
        int given = 0;
        const auto answer = [&given](Record &store) {
            addAnswer(store, QStringLiteral("3"), QStringLiteral("gap %1 (Laci)").arg(++given), false);
        };
        const auto sideFiles = [&folder] { return QDir(folder).entryList({QStringLiteral("progress.sqlite.waiting-*.json")}); };
        QStringList leftBeside; // what may stay beside the record
        if (!state.startsWith(u"older") && state != u"schema 4") {
            Record created(path);
            created.prepare();
        }

        if (state == u"busy") {
            Record store(path);
            FileHolder holder(path);
            QVERIFY(holder.held);
            for (int i = 0; i < 3; ++i)
                answer(store);
            said = settledStatus(store).problem;
            holder.release();
            QTRY_VERIFY(settledStatus(store).problem.isEmpty()); // written by the timer, with no answer after
        } else if (state == u"killed") {
            FileHolder holder(path);
            QProcess child;
            child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/progress_writer"),
                        {path, QStringLiteral("3"), QStringLiteral("gap")});
            QVERIFY(child.waitForStarted());
            QByteArray printed;
            // Each answer waits a moment for the file, then for the side file: kill it after the third.
            QTRY_VERIFY_WITH_TIMEOUT((printed += child.readAllStandardOutput()).contains("3\n"), 10000);
            child.kill();
            child.waitForFinished();
            given = 3;
        } else if (state == u"forget") {
            Record store(path);
            answer(store);
            answer(store);
            {
                FileHolder holder(path);
                said = store.forget().result();
            }
            answer(store); // a Forget that was refused does not happen now
        } else if (state == u"read-only") {
            {
                Record store(path);
                answer(store);
                answer(store);
            }
            ReadOnlyFolder readOnly(folder);
            if (!readOnly.ok)
                QSKIP("The folder cannot be made read-only here.");
            Record store(path);
            store.prepare();
            said = settledStatus(store).problem;
            QVERIFY(!store.status().takesAnswers && !store.status().takesMarks);
            answer(store);
            QCOMPARE(figuresOf(store, Lesson7Ids).summaries[std::size_t(indexOf(Lesson7::Ex3))].firstTries, 2); // its history shows
            QCOMPARE(exported(store).size(), 3);
        } else if (state == u"full" || state == u"unkept") {
            Record store(path);
            store.limitPages(1);
            while (settledStatus(store).problem.isEmpty() && given < 300)
                answer(store);
            const int waiting = store.status().waiting;
            // Kept beside the record, one line each, while they wait: a kill now loses none.
            QCOMPARE(sideFiles().size(), 1);
            QFile side(folder + u'/' + sideFiles().first());
            QVERIFY(side.open(QIODevice::ReadOnly));
            QCOMPARE(side.readAll().count('\n'), waiting);
            if (state == u"full") {
                said = store.status().problem;
            } else {
                ReadOnlyFolder readOnly(folder);
                if (!readOnly.ok)
                    QSKIP("The folder cannot be made read-only here.");
                answer(store);
                said = settledStatus(store).problem;
                QCOMPARE(store.status().unkept, store.status().waiting);
            }
            answer(store);
            store.limitPages(100000);
            answer(store); // writing works again: what waited goes first
            QVERIFY2(settledStatus(store).problem.isEmpty(), qPrintable(store.status().problem));
        } else if (state == u"side file") {
            // A copy killed while its answers waited: two of them were written meanwhile, the
            // other two not; and two lines of its file are no answer.
            Record store(path);
            for (int i = 0; i < 4; ++i)
                answer(store);
            settledStatus(store);
            std::deque<RecordEntry> entries;
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("uids"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery query(QStringLiteral("SELECT uid, at, item FROM answers ORDER BY id"), db);
            while (query.next()) {
                RecordEntry entry;
                entry.lesson = TestSupport::lesson7().id;
                std::tie(entry.uid, entry.at, entry.item) = std::tuple{query.value(0).toString(), query.value(1).toString(),
                                                                       query.value(2).toString()};
                entry.day = QDate::currentDate().toString(Qt::ISODate);
                entry.exercise = QStringLiteral("3");
                entries.push_back(entry);
            }
            query.exec(QStringLiteral("DELETE FROM answers WHERE id > 2"));
            query.exec(QStringLiteral("UPDATE days SET first_tries = 2"));
            query = QSqlQuery();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("uids"));
            { SideFile(path).keep(entries); } // left unlocked, as a killed copy leaves it
            QFile side(folder + u'/' + sideFiles().first());
            QVERIFY(side.open(QIODevice::Append));
            side.write("{\"kind\": \"answer\", \"exercise\": \"3\"}\n{\"kind\": \"answ");
            side.close();
            Record reopened(path);
            reopened.prepare();
            said = settledStatus(reopened).problem;
            leftBeside << QStringLiteral("progress.sqlite.waiting.unreadable");
            QFile aside(folder + u'/' + leftBeside.first());
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll().count('\n'), 2);
        } else if (state == u"older") {
            // A file as the first version wrote it: gaps counted from 0, days in UTC.
            QDir().mkpath(folder);
            QStringList statements{QStringLiteral("INSERT INTO runs VALUES(7, '3', 'basic', 'Laci', '2026-01-05T10:00:00.000Z', "
                                                  "'2026-01-05T10:09:00.000Z', 'accomplished')")};
            for (int gap : {0, 1})
                statements << QStringLiteral("INSERT INTO answers(at, exercise, item, expected, given, right, solution_shown, "
                                             "retry, run) VALUES('2026-01-05T10:0%1:00.000Z', '3', 'gap %1 (Laci)', 'x', "
                                             "'y', 0, 0, 0, 7)").arg(gap)
                           << QStringLiteral("INSERT INTO items VALUES('3', 'gap %1 (Laci)', 'x', 1, %2, %2, 1, 0)")
                                  .arg(gap).arg(gap + 1);
            QVERIFY(runSql(path, statements, 1));
            Record store(path);
            given = 2;
            answer(store);
            QCOMPARE(mistakesOf(store, QStringLiteral("3")),
                     (QStringList{QStringLiteral("gap 1 (Laci)"), QStringLiteral("gap 2 (Laci)"),
                                  QStringLiteral("gap 3 (Laci)")}));
            QCOMPARE(figuresOf(store, Lesson7Ids).summaries[std::size_t(indexOf(Lesson7::Ex3))].basicRuns, 1);
        } else if (state == u"schema 4") {
            // Two of three answers and the one run were on the class server of before, which had no name.
            QDir().mkpath(folder);
            QStringList statements{QStringLiteral("INSERT INTO runs(id, exercise, variant, started, ended, outcome, on_server) "
                                                  "VALUES(7, '3', 'basic', '2026-01-05T10:00:00.000Z', "
                                                  "'2026-01-05T10:09:00.000Z', 'accomplished', 1)"),
                                   QStringLiteral("INSERT INTO class_marks VALUES('answers sent up to', 2)")};
            for (int gap : {1, 2})
                statements << QStringLiteral("INSERT INTO answers(uid, at, exercise, item, expected, given, right, "
                                             "solution_shown, retry, run) VALUES('u%1', '2026-01-05T10:0%1:00.000Z', '3', "
                                             "'gap %1 (Laci)', 'x', 'y', 0, 0, 0, 7)").arg(gap);
            QVERIFY(runSql(path, statements, 4));
            Record store(path);
            given = 2;
            answer(store);
            const RecordData::Figures figures =
                store.figures({TestSupport::lesson7Id(), Lesson7Ids, QDate::currentDate(), 30, RecordData::Scope::ThisComputer,
                               QStringLiteral("anna@school:5432/bimbala")}).result();
            QCOMPARE(figures.answersWaiting, 1);
            QCOMPARE(figures.runsWaiting, 0);
            // The first server joined was the one of before; another gets everything, the run
            // under an id of its own that no other learner's run has.
            const QString first = QStringLiteral("anna@school:5432/bimbala");
            QCOMPARE(store.markSent(first, store.unsent(first, 10).result()).result(), QString());
            const RecordData::Outgoing toAnother = store.unsent(QStringLiteral("anna@another:5432/bimbala"), 10).result();
            QCOMPARE(toAnother.answers.size(), 3u);
            QCOMPARE(toAnother.runs.size(), 1u);
            QCOMPARE(QUuid(toAnother.runs[0][0].toString()).version(), QUuid::Random);
        }

        QVERIFY2(said.contains(told), qPrintable(said));
        QVERIFY(!said.contains(u'\n') && (said.isEmpty() || said.endsWith(u'.')));
        const QStringList items = recordedItems(path); // a new start, which takes over any side file
        QCOMPARE(items.size(), recorded < 0 ? given : recorded);
        QCOMPARE(QSet<QString>(items.begin(), items.end()).size(), items.size());
        QCOMPARE(QDir(folder).entryList({QStringLiteral("progress.sqlite.*")}), leftBeside);
        // Each answer counted once in the figures too (those of the old files are of a day long gone).
        if (state == u"older" || state == u"schema 4")
            return;
        Record reopened(path);
        int firstTries = 0;
        for (const RecordData::Summary &summary : figuresOf(reopened, Lesson7Ids).summaries)
            firstTries += summary.firstTries;
        QCOMPARE(firstTries, int(items.size()));
    }

    // The Progress window's figures, against a fixed day: the share right at the
    // first try per day, the 30 days that end today, the learner's own day (not
    // UTC's), the items missed most often first; and it shows them fresh.
    void figuresOfTheLastThirtyDays_data()
    {
        QTest::addColumn<int>("daysLater");
        QTest::addColumn<QString>("share");
        QTest::newRow("today") << 0 << "67 %";
        QTest::newRow("29 days later, still counted") << 29 << "67 %";
        QTest::newRow("30 days later, gone") << 30 << "–";
    }

    void figuresOfTheLastThirtyDays()
    {
        QFETCH(int, daysLater);
        QFETCH(QString, share);
        // A time zone whose date differs from UTC's at this hour, as evening practice does.
        // POSIX zones need no time zone database: UTC-12 before noon UTC, UTC+14 after.
        const QByteArray zone = QDateTime::currentDateTimeUtc().time().hour() < 12 ? "WEST+12" : "EAST-14";
        const QByteArray oldZone = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        const auto restoreZone = qScopeGuard([&oldZone] {
            oldZone.isEmpty() ? qunsetenv("TZ") : qputenv("TZ", oldZone);
            tzset();
        });
        QVERIFY(QDate::currentDate() != QDateTime::currentDateTimeUtc().date());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record store(path);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), false);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), true, false, true); // a retry: no first try
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("tanár"), true);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("barát"), true);
        for (const char *item : {"often", "often", "recent"})
            addAnswer(store, QStringLiteral("2"), QLatin1String(item), false);

        ProgressWindow window(store, feedback);
        window.today = [daysLater] { return QDate::currentDate().addDays(daysLater); };
        window.Show();
        const auto shareOf1a = [&window] {
            auto *grid = static_cast<QGridLayout *>(window.window()->findChild<QGroupBox *>()->layout());
            return static_cast<QLabel *>(grid->itemAtPosition(1, 3)->widget())->text();
        };
        QTRY_COMPARE(shareOf1a(), share);
        auto *chart = window.window()->findChild<QWidget *>(QStringLiteral("chart"));
        QCOMPARE(chart->accessibleDescription().startsWith(QStringLiteral("3 first tries")), share != u"–");
        auto *missed = window.window()->findChild<QTableWidget *>(QStringLiteral("missed"));
        QCOMPARE(missed->item(0, 1)->text(), QStringLiteral("often"));
        QCOMPARE(missed->item(1, 1)->text(), QStringLiteral("recent"));

        // While open, it follows the answers given meanwhile; shown again, it
        // reads the record anew, which another copy may have written to.
        if (daysLater == 0) {
            addAnswer(store, QStringLiteral("1a"), QStringLiteral("szomszéd"), false);
            QTRY_COMPARE(shareOf1a(), QStringLiteral("50 %"));
            Record otherCopy(path);
            addAnswer(otherCopy, QStringLiteral("1a"), QStringLiteral("orvos"), false);
            settledStatus(otherCopy);
            window.Show();
            QTRY_COMPARE(shareOf1a(), QStringLiteral("40 %"));
        }
        window.Unload();
    }

    // A long export runs on the record's thread behind a progress dialog over the whole
    // program, shown and not run in an event loop of its own (the click comes back at
    // once); the window is not unloaded under it, and Cancel leaves no file and says nothing.
    void exportCancelled()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record(path).prepare();
        QVERIFY(runSql(path, {QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300000) "
            "INSERT INTO answers(uid, at, exercise, item, expected, given, right, solution_shown, retry) "
            "SELECT i, '2026-01-05T10:00:00.000Z', '1a', 'orvos', 'orvosnál', 'orvosnál', 1, 0, 0 FROM n")}));
        Record store(path);
        ProgressWindow window(store, feedback);
        window.Show();
        feedback.fileToSave = dir.filePath(QStringLiteral("answers.csv"));
        window.window()->findChild<QPushButton *>(QStringLiteral("export"))->click();
        const QPointer<QProgressDialog> dialog = window.window()->findChild<QProgressDialog *>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(QApplication::activeModalWidget(), dialog.data());
        // Asked meanwhile, as a lesson opened then asks it: done once the export is over.
        window.Unload();
        QVERIFY(window.isLoaded());
        dialog->findChild<QPushButton *>()->click();
        QTRY_VERIFY(!window.isLoaded());
        QVERIFY(!dialog);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("answers.csv*")}), QStringList());
        QVERIFY(feedback.messages.isEmpty());
    }

    // A read of the record that fails is never shown as a record that holds nothing: with
    // a table gone behind the record's back, the Progress window says so in a sentence and
    // leaves its figures empty, the review's line and the main menu's caption say that the
    // record cannot be read (the entry still opens the review), and the failure is logged.
    void readFailuresSaySo_data()
    {
        QTest::addColumn<QString>("table"); // renamed through a second connection
        QTest::addColumn<bool>("figures");  // the figures of the exercises cannot be read
        QTest::addColumn<bool>("review");   // the review's cannot
        QTest::newRow("the days' shares") << "days" << true << false;
        QTest::newRow("the items missed") << "items" << true << false;
        QTest::newRow("the memory of items") << "memory" << false << true;
    }

    void readFailuresSaySo()
    {
        QFETCH(QString, table);
        QFETCH(bool, figures);
        QFETCH(bool, review);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record store(path);
        program.reset();
        restartWith(&store);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), false);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("tanár"), true);
        program->showMainMenu(false);
        program->showProgress();
        ProgressWindow &progress = program->progress();
        auto *grid = static_cast<QGridLayout *>(progress.window()->findChild<QGroupBox *>()->layout());
        const auto cell = [grid](int column) { return static_cast<QLabel *>(grid->itemAtPosition(1, column)->widget())->text(); };
        auto *problem = progress.control<QLabel>(QStringLiteral("problem"));
        auto *reviewLine = progress.control<QLabel>(QStringLiteral("review"));
        auto *missed = progress.control<QTableWidget>(QStringLiteral("missed"));
        QAction *reviewEntry = program->mainMenu().window()->findChild<QAction *>(QStringLiteral("mnuReview"));
        QTRY_COMPARE(cell(3), QStringLiteral("50 %"));
        QTRY_VERIFY(reviewLine->text().startsWith(QStringLiteral("Review of this lesson")));
        QTRY_VERIFY(reviewEntry->text().startsWith(QStringLiteral("&Review: next")));

        QVERIFY(runSql(path, {QStringLiteral("ALTER TABLE %1 RENAME TO %1_gone").arg(table)}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Reading .*progress.sqlite failed: no such "
                                                                             "table: %1$").arg(table)));
        progress.Show(); // read again as it comes to the front
        program->showMainMenu(false);
        const QString failed = QStringLiteral("Your progress cannot be shown: reading %1 failed, and the file is left as "
                                              "it is.").arg(path);
        if (figures) {
            QTRY_COMPARE(problem->text(), failed);
            QVERIFY(problem->isVisibleTo(progress.window()));
            QCOMPARE((QStringList{cell(1), cell(2), cell(3)}), (QStringList{{}, {}, {}}));
            QCOMPARE(missed->rowCount(), 0);
            QVERIFY(!progress.control<QPushButton>(QStringLiteral("practise1a"))->isEnabled());
            // Mistakes that cannot be read are none, and say so.
            QCOMPARE(mistakesOf(store, QStringLiteral("1a")).isEmpty(), table == u"items");
            QCOMPARE(store.mistakes(TestSupport::lesson7Id(), QStringLiteral("1a"), RecordData::Scope::ThisComputer)
                         .result().failure,
                     table == u"items" ? RecordData::ReadFailure::Failed : RecordData::ReadFailure::None);
        }
        if (review) {
            QTRY_COMPARE(reviewLine->text(),
                         QStringLiteral("What is due for review cannot be shown: your progress could not be read."));
            QTRY_COMPARE(reviewEntry->text(), QStringLiteral("&Review: cannot read the record"));
            QVERIFY(reviewEntry->isEnabled());
            QCOMPARE(store.dueItems({}, 0.9, 50).result().failure, RecordData::ReadFailure::Failed);
            // The Review window says so too, not that nothing is due.
            reviewEntry->trigger();
            QTRY_VERIFY(program->reviewWindow().isLoaded());
            QTRY_COMPARE(program->reviewWindow().control<QLabel>(QStringLiteral("heading"))->text(),
                         QStringLiteral("What is due for review cannot be shown: your progress could not be read."));
            program->reviewWindow().Unload();
        }
        // What could be read is shown as before.
        QTRY_COMPARE(problem->text().isEmpty(), !figures);
        QCOMPARE(cell(3) == u"50 %", !figures);
        QCOMPARE(reviewLine->text().startsWith(QStringLiteral("Review of this lesson")), !review);
        QCOMPARE(reviewEntry->text().startsWith(QStringLiteral("&Review: next")), !review);
        progress.Unload();
        program->end();
    }

    // Lines of side files that are no entry are set aside at each start, and the lines an
    // earlier start set aside stay: every start's go into the one file beside the record.
    void linesSetAsideByEveryStartKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        Record(path).prepare();
        QStringList said;
        for (const QByteArray &bad : {QByteArray("the first start's line, cut sh"), QByteArray("{\"kind\": \"answ")}) {
            RecordEntry entry;
            entry.lesson = TestSupport::lesson7Id();
            entry.at = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
            entry.day = QDate::currentDate().toString(Qt::ISODate);
            entry.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
            entry.exercise = QStringLiteral("1a");
            entry.item = QString::fromLatin1(bad.left(12));
            { SideFile(path).keep({entry}); } // left unlocked, as a killed copy leaves it
            const QStringList sides = QDir(dir.path()).entryList({QStringLiteral("progress.sqlite.waiting-*.json")});
            QCOMPARE(sides.size(), 1);
            QFile side(dir.filePath(sides.first()));
            QVERIFY(side.open(QIODevice::Append));
            side.write(bad + '\n');
            side.close();
            Record start(path);
            start.prepare();
            said << settledStatus(start).problem;
        }
        QVERIFY2(said.at(0).contains(QStringLiteral("1 entry left waiting by an earlier start could not be read")),
                 qPrintable(said.at(0)));
        QFile aside(dir.filePath(QStringLiteral("progress.sqlite.waiting.unreadable")));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), QByteArray("the first start's line, cut sh\n{\"kind\": \"answ\n"));
        QCOMPARE(recordedItems(path).size(), 2); // the good lines of both
    }

    // A copy killed as it began or ended its side file leaves its lock without the file:
    // the next start removes it, while the lock of a copy that runs stays.
    void locksOfCopiesGoneRemoved()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        const QString gone = path + QStringLiteral(".waiting-1-1.json.lock");
        const QString running = path + QStringLiteral(".waiting-2-2.json.lock");
        QLockFile ours(running); // as a copy that runs holds it
        QVERIFY(ours.tryLock(0));
        QProcess ended; // a process that no longer runs
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForStarted());
        const qint64 endedId = ended.processId();
        QVERIFY(ended.waitForFinished());
        QFile mine(running);
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QByteArray text = mine.readAll();
        text.replace(0, text.indexOf('\n'), QByteArray::number(endedId));
        QFile left(gone);
        QVERIFY(left.open(QIODevice::WriteOnly) && left.write(text) == text.size());
        left.close();
        Record store(path);
        store.prepare();
        QVERIFY(settledStatus(store).problem.isEmpty());
        QVERIFY(!QFile::exists(gone));
        QVERIFY(QFile::exists(running));
    }

    // Another copy holds the file a moment as a class sync marks a batch sent: the
    // marks wait and reach the file once it is free, and the sync goes on meanwhile
    // past what it sent, sending nothing twice.
    void marksWaitForABusyFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("progress.sqlite"));
        const QString server = QStringLiteral("anna@school:5432/bimbala");
        Record store(path);
        for (int i = 0; i < 5; ++i)
            addAnswer(store, QStringLiteral("1a"), QStringLiteral("item %1").arg(i), true);
        const RecordData::Outgoing first = store.unsent(server, 3).result();
        QCOMPARE(first.answers.size(), 3u);
        {
            FileHolder holder(path);
            QVERIFY(holder.held);
            QCOMPARE(store.markSent(server, first).result(), QString());
            const RecordData::Outgoing next = store.unsent(server, 10).result();
            QVERIFY2(next.problem.isEmpty(), qPrintable(next.problem));
            QCOMPARE(next.answers.size(), 2u);
            for (const QVariantList &sent : first.answers)
                QVERIFY(sent.at(0) != next.answers.front().at(0) && sent.at(0) != next.answers.back().at(0));
            QCOMPARE(store.markSent(server, next).result(), QString());
            QVERIFY(store.unsent(server, 10).result().empty());
        }
        // Written by the record's timer while it runs, not only at its end.
        QTRY_VERIFY_WITH_TIMEOUT(Record(path).unsent(server, 10).result().empty(), 5000);
        QVERIFY(settledStatus(store).problem.isEmpty());
    }

    // Forget my progress empties the review's memory too: nothing forgotten falls due.
    void forgetEmptiesTheReview()
    {
        Record store(QStringLiteral(":memory:"));
        QDateTime now = QDateTime::currentDateTime();
        store.clock = [&now] { return now; };
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), false);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("tanár"), true);
        now = now.addDays(20);
        QCOMPARE(store.reviewFigures({}, 0.9).result().items, 2);
        QCOMPARE(store.dueItems({}, 0.9, 50).result().size(), 2u);
        QCOMPARE(store.forget().result(), QString());
        const RecordData::ReviewFigures figures = store.reviewFigures({}, 0.9).result();
        QCOMPARE(figures.items, 0);
        QCOMPARE(figures.dueNow, 0);
        QCOMPARE(figures.nextDueMs, 0);
        QVERIFY(store.dueItems({}, 0.9, 50).result().empty());
    }

    // Two lessons with an item of the same text keep their records apart.
    void lessonsKeepTheirOwnRecords()
    {
        Record store(QStringLiteral(":memory:"));
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), false);
        const QString another = QStringLiteral("another");
        QVERIFY(mistakesOf(store, QStringLiteral("1a"), RecordData::Scope::ThisComputer, another).isEmpty() &&
                figuresOf(store, Lesson7Ids, QDate::currentDate(), another).missed.empty());
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), true, false, false, another);
        addAnswer(store, QStringLiteral("1a"), QStringLiteral("orvos"), true, false, false, another);
        QCOMPARE(mistakesOf(store, QStringLiteral("1a")), QStringList{QStringLiteral("orvos")});
        QCOMPARE(exported(store).last().at(LessonColumn), QStringLiteral("another"));
    }
};

QTEST_MAIN(tst_Progress)
#include "tst_progress.moc"
