// What each kind of exercise window says after which learner action, through a
// speaker that keeps what it was asked to say.
#include "ExerciseSession.h"

#include "speech/Speech.h"

#include <QAction>
#include <QComboBox>
#include <QSettings>
#include <QStandardPaths>

namespace {

// Says nothing aloud: keeps every utterance ("slowly: " before a slow one) and every stop.
class RecordingSpeaker final : public Speaker
{
public:
    RecordingSpeaker(QStringList &log, QString missing) : log(log), missing(std::move(missing)) {}
    void start() override { ready(missing); }
    void say(const QString &text, bool slowly) override { log << (slowly ? QStringLiteral("slowly: ") : QString()) + text; }
    void stop() override { log << QStringLiteral("(stop)"); }

private:
    QStringList &log;
    QString missing;
};

const QString Second = QStringLiteral(BIMBALA_TEST_LESSONS "/second/second.yaml");

} // namespace

class tst_Speech : public ExerciseSession
{
    Q_OBJECT

    QStringList spoken;

    // One learner action: a button or option by its name, "=TEXT" typed into the focused box and
    // judged, or "@PERSON" chosen in a story.
    void act(const QString &action)
    {
        if (action.startsWith(u'@')) {
            window()->window()->findChild<QComboBox *>()->setCurrentText(action.mid(1));
        } else if (action.startsWith(u'=')) {
            TestSupport::retype(window()->window()->focusWidget(), action.mid(1));
            nextButton()->click();
        } else if (auto *option = window()->window()->findChild<QAction *>(action)) {
            option->trigger();
        } else {
            (action == u"solution" ? solutionButton() : button(action))->click();
        }
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        // The options a row chose are not the next row's.
        QSettings(QStringLiteral("bimbala"), QStringLiteral("bimbala")).clear();
        ExerciseSession::init();
        spoken.clear();
        // The first word drawn is the list's first, the next its second.
        random = ScriptedRandom();
        random.script({0.0, 0.0, 0.07});
    }

    void saidAfterEachAction_data()
    {
        QTest::addColumn<QString>("lesson"); // empty: lesson 7
        QTest::addColumn<int>("place");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("said");
        const auto row = [](const char *name, const QString &lesson, int place, const QStringList &actions,
                            const QStringList &said) { QTest::newRow(name) << lesson << place << actions << said; };
        // Actions by the controls' names: Command1 is Start (and Restart), Command3 Close.
        const int drill = 0, sentences = 5, pictureStory = 4, personStory = 7;
        row("drill: the word drawn", {}, drill, {"Command1"}, {"orvos"});
        row("drill: right, then the next word", {}, drill, {"Command1", "=orvosnál"}, {"orvos", "orvosnál. lépcső"});
        row("drill: wrong says nothing", {}, drill, {"Command1", "=orvos"}, {"orvos"});
        row("drill: Solution", {}, drill, {"Command1", "solution"}, {"orvos", "orvosnál"});
        row("drill: Listen", {}, drill, {"Command1", "Listen"}, {"orvos", "orvos"});
        row("drill: Speak off, Listen still", {}, drill, {"mnuSpeak", "Command1", "=orvosnál", "Listen"},
            {"(stop)", "orvosnál. lépcső"});
        row("drill: slowly", {}, drill, {"mnuSpeakSlowly", "Command1"}, {"slowly: orvos"});
        row("drill: Close while speaking", {}, drill, {"Command1", "Command3"}, {"orvos", "(stop)"});
        row("sentences: nothing before the answer", {}, sentences, {"Command1"}, {});
        row("sentences: right", {}, sentences, {"Command1", "=Pestről"}, {"Pestről jövök."});
        row("sentences: Solution", {}, sentences, {"Command1", "solution"}, {"Pestről jövök."});
        row("person story: the gap's sentence", {}, personStory, {"Command1", "=van"}, {"Délután fél 5 van."});
        row("picture story: Solution", {}, pictureStory, {"Command1", "solution"},
            {"Laci reggel fél nyolckor kilép a házból."});
        const QString story = QStringLiteral("Péter reggel felkel, aztán a konyhában reggelizik.");
        row("story: read when solved", Second, 2, {"Command1", "=felkel", "=a konyhában", "ReadStory"}, {story, story, story});
        row("story: Restart, nothing to read", Second, 2, {"Command1", "=felkel", "=a konyhában", "Command1", "ReadStory"},
            {story, story});
        // A story of two sentences, for the chosen person.
        const QString flow = QStringLiteral(BIMBALA_TEST_LESSONS "/flow/flow.yaml");
        const QString first = QStringLiteral("Délután fél 5 van."), second = QStringLiteral(" a lakásba, és a lifttel a legeslegfelső emeletre megy.");
        row("story: Listen after the story read", flow, 0,
            {"Command1", "=van", "=belép", "=a legeslegfelső emeletre", "ReadStory", "Listen"},
            {first, "Anna belép" + second, "Anna belép" + second, first + " Anna belép" + second, first + " Anna belép" + second});
        row("story: read for the person chosen", flow, 0,
            {"@te", "Command1", "=van", "=belépsz", "=a legeslegfelső emeletre", "ReadStory"},
            {first, "Anna belépsz" + second, "Anna belépsz" + second, first + " Anna belépsz" + second});
    }

    void saidAfterEachAction()
    {
        QFETCH(QString, lesson);
        QFETCH(int, place);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, said);
        if (!lesson.isEmpty())
            program->startWith(lesson);
        program->speech().use(std::make_unique<RecordingSpeaker>(spoken, QString()));
        open(Exercise{place});
        for (const QString &action : actions)
            act(action);
        QCOMPARE(spoken, said);
    }

    // Speak switched off stays off at the next start.
    void speakOffIsKept()
    {
        program->speech().use(std::make_unique<RecordingSpeaker>(spoken, QString()));
        open(Exercise{0});
        const bool on = program->speech().speakOn();
        act(QStringLiteral("mnuSpeak"));
        QCOMPARE(Speech().speakOn(), !on);
    }

    // Without a voice: the options and Listen are disabled and say why, which the journal has
    // too; nothing is said.
    void noVoice()
    {
        const QString why = QStringLiteral("No Hungarian voice: install speech-dispatcher-espeak-ng.");
        QTest::ignoreMessage(QtWarningMsg, qPrintable(why));
        program->speech().use(std::make_unique<RecordingSpeaker>(spoken, why));
        open(Exercise{0});
        startButton()->click();
        QVERIFY(spoken.isEmpty());
        auto *speak = window()->window()->findChild<QAction *>(QStringLiteral("mnuSpeak"));
        QVERIFY(!speak->isEnabled() && !speak->isChecked());
        QCOMPARE(speak->toolTip(), why);
        QVERIFY(!button(QStringLiteral("Listen"))->isEnabled());
        QCOMPARE(button(QStringLiteral("Listen"))->toolTip(), why);
    }
};

QTEST_MAIN(tst_Speech)
#include "tst_speech.moc"
