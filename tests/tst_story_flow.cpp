// A story that gives no layout is set by its window as running text: each control
// in the window and clear of every other, the story in reading order, and a story
// too long for the designed rows makes the window taller, with Next below it.
#include "ExerciseSession.h"

#include "common/Twips.h"
#include "exercises/story/StoryFlow.h"
#include "exercises/story/StoryRun.h"
#include "lesson/LessonSource.h"

#include <yaml-cpp/yaml.h>

// The story helpers serve both story windows; the session's own exercise is not used.
class tst_StoryFlow : public StorySession
{
    Q_OBJECT

public:
    tst_StoryFlow() : StorySession(Lesson7::Ex6, QStringLiteral("Anna")) {}

private Q_SLOTS:
    void storyFlowsInTheWindow_data()
    {
        QTest::addColumn<int>("place"); // in the flow lesson
        QTest::addColumn<bool>("grows");
        QTest::newRow("person story, short") << 0 << false;
        QTest::newRow("person story, long") << 1 << true;
        QTest::newRow("picture story, long") << 2 << true;
    }

    void storyFlowsInTheWindow()
    {
        QFETCH(int, place);
        QFETCH(bool, grows);
        const QString file = QStringLiteral(BIMBALA_TEST_LESSONS "/flow/flow.yaml");
        program->startWith(file);
        ExerciseSession::open(Exercise{place});
        QVERIFY(feedback.messages.isEmpty()); // the lesson opened
        const YAML::Node written = YAML::LoadFile(file.toStdString())["exercises"][place];

        QWidget *client = find<QWidget>(QStringLiteral("client"));
        const QList<QLineEdit *> boxes = storyBoxes();
        for (QWidget *control : client->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            for (QLineEdit *box : boxes) {
                QVERIFY2(box == control || !box->geometry().intersects(control->geometry()),
                         qPrintable(box->objectName() + u'/' + control->objectName()));
            }
            // The story's boxes are inside the window; the go-to grid and the key help were
            // designed to reach a little beyond its right edge, but none below its bottom.
            const QRect inside = boxes.contains(control) ? client->rect() : QRect(-100, 0, 10000, client->height());
            QVERIFY2(inside.contains(control->geometry()), qPrintable(control->objectName()));
        }
        for (QLineEdit *box : boxes)
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) < box->width(), qPrintable(box->text()));
        // As the text reads, brackets gone.
        QString told = QString::fromStdString(written["text"].Scalar()).remove(u'[').remove(u']').simplified();
        QCOMPARE(story(), told.replace(QStringLiteral(" ."), QStringLiteral(".")));

        // Gaps in story order, each wide enough for every answer.
        const int gaps = int(written["gaps"].size());
        for (int n = 0; n < gaps; ++n) {
            const QLineEdit *gap = gapBox(n);
            for (const YAML::Node &answer : written["gaps"][n]["answers"]) {
                const QString text = QString::fromStdString(answer.Scalar());
                QVERIFY2(gap->fontMetrics().horizontalAdvance(text) < gap->width(), qPrintable(text));
            }
            const QLineEdit *before = n > 0 ? gapBox(n - 1) : nullptr;
            QVERIFY2(!before || gap->y() > before->y() ||
                         (gap->y() == before->y() && gap->x() > before->geometry().right()),
                     qPrintable(QString::number(n)));
        }
        QVERIFY(!window()->control<QLineEdit>(QStringLiteral("Text1_%1").arg(gaps)));
        const bool pictures = program->lesson().exercise(place).shape == LessonModel::Shape::PictureStory;
        QCOMPARE(client->height() > Twips::toPixels(pictures ? 5865 : 5880), grows);
        QVERIFY(nextButton()->y() > boxes.back()->geometry().bottom());
    }

    // Read as placed, rows first, whatever order the lesson lists its gaps and pieces in.
    void readingOrderFollowsThePlaces()
    {
        using LessonModel::Place;
        const std::vector<Place> gaps{{1, 4000, 900}, {0, 3000, 900}};
        const std::vector<StoryFlow::Line> pieces{{0, QStringLiteral("Este"), {0, 100, 2000}},
                                                  {1, QStringLiteral("moziba"), {1, 5000, 1200}},
                                                  {1, QStringLiteral("megy"), {1, 200, 1200}}};
        QStringList read;
        for (const StoryFlow::Step &step : StoryFlow::readingOrder(gaps, pieces))
            read << (step.gap ? QStringLiteral("gap %1").arg(step.index) : pieces[std::size_t(step.index)].text);
        QCOMPARE(read, QStringList({"Este", "gap 1", "megy", "gap 0", "moziba"}));
    }

    // A run of a story of two persons and two gaps, without a window.
    void storyRun()
    {
        LessonModel::Story told;
        told.persons = QStringList{QStringLiteral("én"), QStringLiteral("te")};
        told.gaps.resize(2);
        told.gaps[0].answers = QStringList{QStringLiteral("megyek"), QStringLiteral("mész")};
        told.gaps[1].answers = QStringList{QStringLiteral("moziba"), QStringLiteral("moziba")};
        told.gaps[1].alsoRight.insert(QStringLiteral("te"), {QStringLiteral("a moziba")});
        StoryRun run;
        run.load(told);
        run.choosePerson(QStringLiteral("te"));
        QCOMPARE(run.start(), StoryRun::Start::Begins);
        QCOMPARE(run.judge(QStringLiteral("megyek")), StoryRun::Judged::Wrong);
        QVERIFY(run.wrongTried(0) && !run.isSolved(0));
        QCOMPARE(run.judge(QStringLiteral(" mész ")), StoryRun::Judged::Right);
        QCOMPARE(run.judge(QStringLiteral("mész")), StoryRun::Judged::SolvedBefore);
        QCOMPARE(run.nextOpen(), std::optional<int>(1));
        QCOMPARE(run.start(), StoryRun::Start::GoesOn); // Start mid-run keeps what was solved
        QCOMPARE(run.solvedCount(), 1);
        run.aim(1);
        run.showSolution();
        QCOMPARE(run.judge(QStringLiteral("a moziba")), StoryRun::Judged::Right);
        QVERIFY(run.accomplished() && run.solutionSeen(1) && !run.nextOpen());
        QCOMPARE(run.start(), StoryRun::Start::Restarts);
        QVERIFY(!run.isSolved(0) && !run.wrongTried(0) && !run.solutionSeen(1) && run.solvedCount() == 0);
        QCOMPARE(run.expected(0), QStringLiteral("mész"));
    }
};

QTEST_MAIN(tst_StoryFlow)
#include "tst_story_flow.moc"
