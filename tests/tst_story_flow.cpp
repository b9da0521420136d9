// A story that gives no layout is set by its window as running text: each control
// in the window and clear of every other, the story in reading order, and a story
// too long for the designed rows makes the window taller, with Next below it.
#include "ExerciseSession.h"

#include "common/Twips.h"
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
};

QTEST_MAIN(tst_StoryFlow)
#include "tst_story_flow.moc"
