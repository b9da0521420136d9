// The review's memory of every item: made once from an older record's answers, kept up
// to date with each answer, and what falls due across lessons as days pass on a fixed
// clock; a review run from the main menu over two lessons, and with a lesson file gone.
#include "TestSupport.h"

#include "app/Program.h"
#include "app/alap.h"
#include "progress/ProgressWindow.h"
#include "lesson/LessonHistory.h"
#include "lesson/LessonReader.h"
#include "lesson/LessonSource.h"
#include "record/ProgressSchema.h"
#include "record/Record.h"
#include "exercises/frame/ExerciseWindow.h"
#include "exercises/sentences/SentenceTable.h"
#include "exercises/story/StoryRun.h"
#include "memory/Fsrs.h"
#include "review/Review.h"
#include "review/ReviewWindow.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Start(QDate(2026, 3, 2), QTime(9, 0), Qt::UTC);

QStringList dueKeys(Record &store, const QString &lesson = {})
{
    QStringList keys;
    for (const RecordData::DueItem &due : store.dueItems(lesson, 0.9, 50).result())
        keys << due.lesson + u'/' + due.item;
    return keys;
}

void answer(Record &store, const QString &lesson, const QString &item, bool right, bool retry = false,
            const QString &exercise = u"1a"_s)
{
    store.answerJudged({lesson, exercise, item, u"x"_s, right ? u"x"_s : u"y"_s, right, false, retry, 0});
}

// Runs statements on a record file as an older version of the program left it.
void runSql(const QString &path, int schemaVersion, const QStringList &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"by hand"_s);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        if (schemaVersion > 0)
            QVERIFY(!ProgressSchema::migrate(db, 0, schemaVersion).isValid());
        for (const QString &statement : statements)
            QVERIFY2(QSqlQuery(db).exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase(u"by hand"_s);
}

// Columns of the export.
enum Column { ExportRun = 2, ExportItem = 4, ExportGiven = 6, ExportRight = 7, ExportRetry = 9, ExportLesson = 10 };

// Lesson 7's words of drills 1a and 1b, each an item of its own.
QList<std::pair<QString, QString>> lesson7Words()
{
    QList<std::pair<QString, QString>> words;
    for (const Exercise drill : {Lesson7::Ex1a, Lesson7::Ex1b}) {
        for (const LessonModel::WordItem &word : TestSupport::drillOf(drill).items) {
            if (std::none_of(words.begin(), words.end(), [&](const auto &had) { return had.second == word.cue; }))
                words << std::pair{exerciseCode(drill), word.cue};
        }
    }
    return words;
}

QString oldAnswer(int id, const QString &item, const QDateTime &at, bool right, bool retry)
{
    return u"INSERT INTO answers(id, uid, lesson, at, exercise, item, expected, given, right, solution_shown, retry) "
           "VALUES(%1, 'u%1', 'L', '%2', '1a', '%3', 'x', 'x', %4, 0, %5)"_s
        .arg(id)
        .arg(at.toString(Qt::ISODateWithMs), item)
        .arg(int(right))
        .arg(int(retry));
}

} // namespace

class tst_Review : public QObject
{
    Q_OBJECT

    RecordingFeedback feedback;
    ScriptedRandom random;
    QTemporaryDir folder;
    QDateTime now = Start;
    std::unique_ptr<Record> store;
    std::unique_ptr<Program> program;

    // A copy of the second test lesson, chosen once, so that the program knows its file.
    QString secondLesson()
    {
        const QString copy = folder.filePath(u"second"_s);
        QDir().mkpath(copy);
        for (const QString &name : QDir(QStringLiteral(BIMBALA_TEST_LESSONS "/second")).entryList(QDir::Files))
            QFile::copy(QStringLiteral(BIMBALA_TEST_LESSONS "/second/") + name, copy + u'/' + name);
        LessonHistory().chose(copy + u"/second.yaml"_s, u"Second"_s);
        return copy;
    }
    QAction *reviewEntry() const
    {
        return program->mainMenu().window()->findChild<QAction *>(u"mnuReview"_s);
    }
    template <typename T>
    T *reviewControl(const QString &name) const
    {
        return program->reviewWindow().control<T>(name);
    }
    // A wrong answer to a story's gap and a right one to a drill's word, then days pass
    // and the review opens from the main menu, which said that two are due.
    void openReviewAfterDays(int days)
    {
        answer(*store, u"test-second"_s, u"gap 2 (én)"_s, false, false, u"8c"_s);
        answer(*store, QLatin1String(ProgressSchema::FirstLesson), u"orvos"_s, true);
        now = Start.addDays(days);
        program->showMainMenu(false);
        QTRY_COMPARE(reviewEntry()->text(), u"&Review: 2 due"_s);
        reviewEntry()->trigger();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
    }
    // Runs `check` in a time zone east of Greenwich, the learner's clock its local time there.
    void eastOfGreenwich(const std::function<void()> &check)
    {
        const QByteArray before = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        check();
        if (before.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", before);
        tzset();
    }
    QLabel *label(const QString &name) const { return reviewControl<QLabel>(name); }
    QSpinBox *aim() const { return reviewControl<QSpinBox>(u"retention"_s); }
    void type(const QString &text)
    {
        QLineEdit *box = reviewControl<QLineEdit>(u"answer"_s);
        box->setText(text);
        reviewControl<QPushButton>(u"next"_s)->click();
    }

private Q_SLOTS:
    void init()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings(u"bimbala"_s, u"bimbala"_s).clear();
        feedback.clear();
        now = Start;
        store = std::make_unique<Record>(u":memory:"_s);
        store->clock = [this] { return now; };
        program = std::make_unique<Program>(feedback, random, store.get());
        program->quit = [] {};
    }
    void cleanup()
    {
        program.reset();
        store.reset();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // The least likely recalled first: the story's gap as a sentence with one gap, a wrong
    // answer warned of and a right one taken; then the word; each recorded in its own lesson.
    void reviewRunOverTwoLessons()
    {
        secondLesson();
        openReviewAfterDays(5);
        QVERIFY(reviewControl<QLabel>(u"heading"_s)->text().contains(u"8c. Put in the missing words."_s));
        QCOMPARE(reviewControl<QLabel>(u"cue"_s)->text(), u"én"_s);
        QCOMPARE(reviewControl<QLabel>(u"before"_s)->text(), u"Péter reggel felkelek, aztán"_s);
        QCOMPARE(reviewControl<QLabel>(u"after"_s)->text(), u"reggelizik."_s);
        type(u"a konyha"_s);
        QCOMPARE(feedback.beeps, 1);
        QCOMPARE(feedback.lastText(), program->shared().MsgWrong);
        type(u"a konyhában"_s);
        // The drill's word is asked as the drill asks it: in the box, the learner adds its suffix.
        QCOMPARE(reviewControl<QLabel>(u"cue"_s)->text(), u"-nál/-nél"_s);
        QLineEdit *box = reviewControl<QLineEdit>(u"answer"_s);
        QCOMPARE(box->text(), u"orvos"_s);
        QTest::keyClicks(box, u"n'l"_s);
        TestSupport::pressEnter(box);
        QCOMPARE(reviewControl<QLabel>(u"said"_s)->text(), u"You reviewed 2 items."_s);
        QCOMPARE(feedback.beeps, 1);
        QTRY_VERIFY(reviewEntry()->text().startsWith(u"&Review: next"_s));
        QCOMPARE(store->reviewFigures(QLatin1String(ProgressSchema::FirstLesson), 0.9).result().items, 1);
        QCOMPARE(store->reviewFigures(u"test-second"_s, 0.9).result().items, 1);
    }

    // Progress says what is due of the lesson played and of all lessons, and charts what falls due.
    void progressSaysWhatIsDue()
    {
        answer(*store, u"test-second"_s, u"gap 2 (én)"_s, false, false, u"8c"_s);
        answer(*store, QLatin1String(ProgressSchema::FirstLesson), u"orvos"_s, true);
        now = Start.addDays(1);
        program->showMainMenu(false);
        program->showProgress();
        QLabel *review = program->progress().control<QLabel>(u"review"_s);
        QTRY_VERIFY(!review->text().isEmpty());
        QVERIFY2(review->text().startsWith(u"Review of this lesson: 0 due now, 1 within 7 days"_s), qPrintable(review->text()));
        QVERIFY(review->text().contains(u"All lessons: 1 due now, 2 within 7 days"_s));
        auto *choice = program->progress().control<QComboBox>(u"chartChoice"_s);
        choice->setCurrentIndex(choice->count() - 1);
        QTRY_VERIFY(program->progress().control<QWidget>(u"chart"_s)->accessibleName().startsWith(u"Items falling due per day"_s));
        QCOMPARE(program->progress().control<QWidget>(u"chart"_s)->accessibleDescription(),
                 u"1 item falls due today, 2 in the next 30 days"_s);
    }

    // Each shape's item as a sentence with one gap: a word with its suffix, a sentence, and a
    // laid-out story's gap in its sentence, the other gaps solved for the person.
    void promptsOfLessonSeven_data()
    {
        QTest::addColumn<QString>("exercise");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("shown"); // cue, before, offer, after, answer
        QTest::newRow("drill") << u"1a"_s << u"orvos"_s << QStringList{u"-nál/-nél"_s, {}, u"orvos"_s, {}, u"orvosnál"_s};
        QTest::newRow("sentence") << u"4"_s << u"Pestről jövök."_s << QStringList{u"Pest..."_s, {}, u"Pest"_s, u"jövök."_s, u"Pestről"_s};
        QTest::newRow("story") << u"6"_s << u"gap 2 (te)"_s << QStringList{u"te"_s, {}, u"Belép"_s, u"a lakásba."_s, u"Belépsz"_s};
        QTest::newRow("story, mid-sentence") << u"6"_s << u"gap 5 (én)"_s
                                             << QStringList{u"én"_s, u"A fürdőszobában kezet"_s, u"mos"_s, u"."_s, u"mosok"_s};
    }

    void promptsOfLessonSeven()
    {
        QFETCH(QString, exercise);
        QFETCH(QString, item);
        QFETCH(QStringList, shown);
        const std::optional<ReviewPrompt> prompt =
            ReviewPrompt::of(*LessonReader::read(LessonSource::BuiltIn).lesson, exercise, item);
        QVERIFY(prompt);
        QCOMPARE((QStringList{prompt->cue, prompt->before, prompt->offer, prompt->after, prompt->answers.value(0)}), shown);
    }

    // Whether the lesson still has an item is told alike without making it askable: for every
    // item of every exercise of lesson 7, and for items it never had.
    void itemsKnownAlikeEitherWay()
    {
        const LessonModel::Lesson lesson = *LessonReader::read(LessonSource::BuiltIn).lesson;
        int items = 0;
        for (const LessonModel::Exercise &exercise : lesson.exercises) {
            QStringList keys{u"made up"_s, u"gap 99 (én)"_s};
            if (const auto *drill = std::get_if<LessonModel::SuffixDrill>(&exercise.content))
                for (const LessonModel::WordItem &word : drill->items)
                    keys << word.cue;
            if (const auto *sentences = std::get_if<LessonModel::SentenceExercise>(&exercise.content))
                for (const LessonModel::SentenceRow &row : sentences->rows)
                    keys << SentenceTable::key(row);
            if (const auto *story = std::get_if<LessonModel::Story>(&exercise.content))
                for (int gap = 0; gap < int(story->gaps.size()); ++gap)
                    for (const QString &person : story->persons)
                        keys << StoryRun::itemKey(gap, person);
            for (const QString &key : keys) {
                const bool known = ReviewPrompt::of(lesson, exercise.id, key).has_value();
                QCOMPARE(ReviewPrompt::exists(lesson, exercise.id, key), known);
                items += known;
            }
            QVERIFY(!ReviewPrompt::exists(lesson, u"no such exercise"_s, keys.last()));
        }
        QVERIFY(items > 300);
    }

    // A lesson whose file is gone: its items are left out, and the window says so.
    void lessonFileGone()
    {
        QDir(secondLesson()).removeRecursively();
        openReviewAfterDays(5);
        QCOMPARE(reviewControl<QLineEdit>(u"answer"_s)->text(), u"orvos"_s);
        QVERIFY2(reviewControl<QLabel>(u"said"_s)->text().contains(u"1 due item is left out: its lesson file cannot be found"_s),
                 qPrintable(reviewControl<QLabel>(u"said"_s)->text()));
    }

    // Items of a lesson whose file is gone are left out before the run's 50 are taken, so that
    // the items the program can ask are asked, and the window says how many are left out.
    void dueOfAGoneLessonNeverCrowdOutTheRest()
    {
        for (int i = 0; i < 60; ++i)
            answer(*store, u"gone"_s, u"item %1"_s.arg(i), true);
        // A day later: the gone lesson's items are the least likely recalled.
        now = Start.addDays(1);
        answer(*store, QLatin1String(ProgressSchema::FirstLesson), u"orvos"_s, true);
        answer(*store, QLatin1String(ProgressSchema::FirstLesson), u"tanár"_s, true);
        now = Start.addDays(10);
        program->showMainMenu(false);
        QTRY_COMPARE(reviewEntry()->text(), u"&Review: 62 due"_s);
        reviewEntry()->trigger();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
        QCOMPARE(label(u"said"_s)->text().left(42), u"Item 1 of 2. 60 due items are left out: th"_s);
        QCOMPARE(reviewControl<QLineEdit>(u"answer"_s)->text(), u"orvos"_s);
    }

    // A run asks at most 50, those least likely to be recalled: the words answered longest ago.
    void runAsksTheFiftyLeastLikelyRecalled()
    {
        const QList<std::pair<QString, QString>> words = lesson7Words();
        QVERIFY(words.size() >= 60);
        for (int i = 0; i < 60; ++i) {
            now = Start.addSecs(i * 3600);
            answer(*store, QLatin1String(ProgressSchema::FirstLesson), words[i].second, true, false, words[i].first);
        }
        now = Start.addDays(20);
        program->showMainMenu(false);
        QTRY_COMPARE(reviewEntry()->text(), u"&Review: 60 due"_s);
        reviewEntry()->trigger();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
        QCOMPARE(label(u"said"_s)->text(), u"Item 1 of 50."_s);
        QCOMPARE(reviewControl<QLineEdit>(u"answer"_s)->text(), words[0].second);
        QStringList asked;
        for (int i = 0; i < 50; ++i) {
            asked << reviewControl<QLineEdit>(u"answer"_s)->text();
            reviewControl<QPushButton>(u"solution"_s)->click();
            reviewControl<QLineEdit>(u"answer"_s)->setText(feedback.lastText().section(u' ', -1));
            reviewControl<QPushButton>(u"next"_s)->click();
        }
        for (int i = 50; i < 60; ++i)
            QVERIFY2(!asked.contains(words[i].second), qPrintable(words[i].second));
    }

    // Raising the recall to aim for asks again what is due: the open window asks the items
    // now due, the main menu says how many, and the aim is kept as chosen.
    void raisingTheAimAsksAgain()
    {
        for (const auto &[drill, word] : lesson7Words().mid(0, 3))
            answer(*store, QLatin1String(ProgressSchema::FirstLesson), word, true, false, drill);
        now = Start.addSecs(36 * 3600);
        program->showMainMenu(false);
        QTRY_VERIFY(reviewEntry()->text().startsWith(u"&Review: next"_s));
        reviewEntry()->trigger();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
        QCOMPARE(label(u"heading"_s)->text(), u"Nothing more is due for review now."_s);
        aim()->setValue(97);
        QTRY_COMPARE(label(u"said"_s)->text(), u"Item 1 of 3."_s);
        QTRY_COMPARE(reviewEntry()->text(), u"&Review: 3 due"_s);
        program->reviewWindow().Unload();
        Review other(*store, program->lesson(), feedback, program->shared());
        QCOMPARE(other.retention(), 0.97);
        // The window opened afresh shows the aim kept.
        reviewEntry()->trigger();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
        QCOMPARE(aim()->value(), 97);
    }

    // The next due is the soonest, not the last.
    void nextDueIsTheSoonest()
    {
        answer(*store, u"A"_s, u"ház"_s, true);
        now = Start.addSecs(7200);
        answer(*store, u"A"_s, u"kert"_s, true);
        const qint64 soonest = Start.toMSecsSinceEpoch() + qint64(Fsrs::interval(0.9, 3.7145) * 86'400'000.0);
        QVERIFY(qAbs(store->reviewFigures({}, 0.9).result().nextDueMs - soonest) < 60'000);
    }

    // An answer to a review is an answer in its own lesson and in no exercise's run, also while
    // a drill of another lesson runs; nothing typed is no try, and a right answer after a
    // wrong one is recorded as after a wrong try.
    void reviewAnswersAreTheirOwn()
    {
        secondLesson();
        answer(*store, u"test-second"_s, u"gap 2 (én)"_s, false, false, u"8c"_s);
        now = Start.addDays(5);
        program->showMainMenu(false);
        program->openFromMainMenu(Lesson7::Ex1a);
        program->windowFor(Lesson7::Ex1a)->window()->findChild<QPushButton *>(u"Command1"_s)->click();
        program->navigation().openReview();
        QTRY_VERIFY(program->reviewWindow().isLoaded());
        type({});
        QCOMPARE(feedback.beeps, 1);
        QCOMPARE(feedback.lastText(), program->shared().MsgWrong);
        type(u"a konyha"_s);
        type(u"  a konyhában "_s);
        QCOMPARE(label(u"said"_s)->text(), u"You reviewed 1 item."_s);
        const QList<QStringList> rows = TestSupport::exported(*store);
        QCOMPARE(rows.size(), 4); // the header, the answer before, the wrong one and the right one
        for (const QStringList &row : rows.mid(2)) {
            QCOMPARE(row.at(ExportLesson), u"test-second"_s);
            QCOMPARE(row.at(ExportRun), QString());
        }
        QCOMPARE((QStringList{rows[3].at(ExportGiven), rows[3].at(ExportRight), rows[3].at(ExportRetry)}),
                 (QStringList{u"a konyhában"_s, u"yes"_s, u"yes"_s}));
        program->windowFor(Lesson7::Ex1a)->Unload();
    }

    // The learner's day begins at their own midnight: east of Greenwich, an item missed at 7
    // in the morning (still yesterday in Greenwich) falls due that evening, today.
    void learnersDayEastOfGreenwich()
    {
        eastOfGreenwich([] {
            Record store(u":memory:"_s);
            QDateTime clock(QDate(2026, 3, 2), QTime(7, 0), Qt::LocalTime);
            store.clock = [&clock] { return clock; };
            answer(store, u"A"_s, u"tó"_s, false);
            clock = clock.addSecs(3600);
            const std::vector<int> forecast = store.reviewFigures({}, 0.9).result().forecast;
            QCOMPARE(forecast.at(0), 1);
            QCOMPARE(forecast.at(1), 0);
        });
    }

    // Over two lessons: nothing is due right after the answers; a missed item falls
    // due first; after days every item is, the missed one least likely recalled; a
    // right answer puts an item off while the others stay due.
    void dueAsDaysPass()
    {
        Record store(u":memory:"_s);
        QDateTime now = Start;
        store.clock = [&now] { return now; };
        answer(store, u"A"_s, u"ház"_s, true);
        answer(store, u"B"_s, u"kert"_s, true);
        answer(store, u"B"_s, u"tó"_s, false);
        answer(store, u"B"_s, u"tó"_s, true, true);
        now = now.addSecs(3600);
        QCOMPARE(dueKeys(store), QStringList());
        QCOMPARE(store.reviewFigures({}, 0.9).result().items, 3);

        now = Start.addDays(1);
        QCOMPARE(dueKeys(store), QStringList{u"B/tó"_s});
        QCOMPARE(dueKeys(store, u"A"_s), QStringList());

        now = Start.addDays(5);
        const QStringList due = dueKeys(store);
        QCOMPARE(due.size(), 3);
        QCOMPARE(due.first(), u"B/tó"_s);
        const RecordData::ReviewFigures figures = store.reviewFigures({}, 0.9).result();
        QCOMPARE(figures.dueNow, 3);
        QVERIFY(figures.recall > 0.5 && figures.recall < 0.9);

        answer(store, u"A"_s, u"ház"_s, true);
        QVERIFY(!dueKeys(store).contains(u"A/ház"_s));
        now = Start.addDays(9);
        QCOMPARE(dueKeys(store).size(), 2);
        QVERIFY(!dueKeys(store).contains(u"A/ház"_s));
        // The next due is after now: a later day of the forecast holds it.
        const RecordData::ReviewFigures later = store.reviewFigures(u"A"_s, 0.9).result();
        QCOMPARE(later.dueNow, 0);
        QVERIFY(later.nextDueMs > now.toMSecsSinceEpoch());
        QCOMPARE(std::accumulate(later.forecast.begin(), later.forecast.end(), 0), 1);
    }

    // The forecast counts the learner's days: an item missed in the evening falls due the next
    // morning, which is tomorrow's, though it is less than a day away.
    void forecastByTheLearnersDays()
    {
        Record store(u":memory:"_s);
        store.clock = [] { return Start.addSecs(9 * 3600); };
        answer(store, u"A"_s, u"tó"_s, false);
        const std::vector<int> forecast = store.reviewFigures({}, 0.9).result().forecast;
        QCOMPARE(forecast.at(0), 0);
        QCOMPARE(forecast.at(1), 1);
    }

    // A record of the version before learns every item's memory from its answers once:
    // an item answered right long ago is due, one answered lately is not, and the memory
    // is not made again at the next opening.
    void memoryFromAnOlderRecord()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"progress.sqlite"_s);
        runSql(path, 6,
               {oldAnswer(1, u"régi"_s, Start.addDays(-30), true, false),
                oldAnswer(2, u"friss"_s, Start.addDays(-1), false, false),
                oldAnswer(3, u"friss"_s, Start.addDays(-1), true, true),
                oldAnswer(4, u"friss"_s, Start.addSecs(-600), true, false)});
        {
            Record store(path);
            store.clock = [] { return Start; };
            QCOMPARE(dueKeys(store), QStringList{u"L/régi"_s});
        }
        runSql(path, 0, {u"UPDATE memory SET stability = 1000"_s});
        Record store(path);
        store.clock = [] { return Start; };
        QCOMPARE(dueKeys(store), QStringList());
        QCOMPARE(store.reviewFigures(u"L"_s, 0.9).result().items, 2);
    }
};

QTEST_MAIN(tst_Review)
#include "tst_review.moc"
