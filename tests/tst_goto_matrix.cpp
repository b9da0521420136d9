#include "ExerciseSession.h"

#include <array>

// Every go-to button of every exercise window, and every exercise button of the
// main menu, opens its exercise prepared the way the lesson expects.

namespace {

// Where the learner clicks: the main menu, or an exercise window opened for an exercise.
struct Opener
{
    const char *name;
    bool mainMenu;
    Exercise exercise;
};
const std::array<Opener, 7> Openers{{{"main menu", true, Lesson7::Ex1a},
                                     {"b07d1 on 1a", false, Lesson7::Ex1a},
                                     {"b07d1 on 2", false, Lesson7::Ex2},
                                     {"b07d4 on 4", false, Lesson7::Ex4},
                                     {"b07d4 on 5", false, Lesson7::Ex5},
                                     {"b07d6", false, Lesson7::Ex6},
                                     {"b07d3", false, Lesson7::Ex3}}};

using Names = std::array<const char *, 8>;

// The designer names of the go-to buttons, in the order 1a, 1b, 1c, 2, 3, 4, 5, 6.
const Names MainMenuNames{"AniButton1",     "AniPushButton1", "AniButton4",     "AniButton3",
                          "AniPushButton3", "AniPushButton2", "AniPushButton4", "AniPushButton5"};
const Names DrillNames{"Command10", "Command5", "Command13", "Command16",
                       "Command7",  "Command15", "Command8", "Command14"};
const Names SentenceNames{"Command10", "Command5",  "Command6",  "Command7",
                          "Command11", "Command12", "Command13", "Command14"};
const Names EveningNames{"Command5",  "Command6",  "Command7",  "Command8",
                         "Command11", "Command12", "Command13", "Command14"};
const Names JourneyNames{"Command5", "Command8", "Command9", "Command6",
                         "Command7", "Command11", "Command12", "Command13"};

const Names &namesIn(const QString &window)
{
    return window == u"b07d1" ? DrillNames : window == u"b07d4" ? SentenceNames
                                           : window == u"b07d6" ? EveningNames : JourneyNames;
}

// The caption ending each exercise gives the window title.
const std::array<const char *, 8> TitleEndings{": 1/a..", ": 1/b.", ": 1/c.", ": 2.", ": 3.", ": 4.", ": 5.", ": 6."};
const std::array<const char *, 4> DrillNumbers{"1a.", "1b.", "1c.", "2."};
const std::array<const char *, 4> DrillSuffixes{"-nál/-nél", "-hoz/-hez/-höz", "-tól/-től", "-nak/-nek"};

} // namespace

class tst_goto_matrix : public ExerciseSession
{
    Q_OBJECT

private:
    static QPushButton *buttonIn(const Form &form, const char *name)
    {
        auto *button = form.control<QPushButton>(QString::fromLatin1(name));
        if (!button)
            qFatal("%s has no %s", qPrintable(form.name()), name);
        return button;
    }

private Q_SLOTS:
    void everyButtonOpensItsExercise_data()
    {
        QTest::addColumn<int>("openerIndex");
        QTest::addColumn<Exercise>("target");
        for (int opener = 0; opener < int(Openers.size()); ++opener) {
            for (Exercise target : Lesson7::All) {
                const QString row = QStringLiteral("%1 -> %2")
                                        .arg(QLatin1String(Openers[std::size_t(opener)].name),
                                             goToCaption(target).remove(u'&'));
                QTest::newRow(qPrintable(row)) << opener << target;
            }
        }
    }

    void everyButtonOpensItsExercise()
    {
        QFETCH(int, openerIndex);
        QFETCH(Exercise, target);
        const Opener &opener = Openers[std::size_t(openerIndex)];
        Module1 &shared = program->shared();
        shared.ExerciseNo = 42; // what exercises 3 and 6 must leave alone
        program->showMainMenu(false);

        const Form *from = &program->mainMenu();
        const Names *names = &MainMenuNames;
        if (!opener.mainMenu) {
            open(opener.exercise);
            from = window();
            names = &namesIn(window()->name());
            // A run in progress is given up without a question.
            if (button("Command1")->isEnabled())
                click("Command1");
        }
        const int before = shared.ExerciseNo;
        feedback.clear();

        QPushButton *goTo = buttonIn(*from, (*names)[std::size_t(indexOf(target))]);
        QCOMPARE(goTo->text(), goToCaption(target));
        goTo->click();

        ExerciseWindow *opened = program->windowFor(target);
        const bool sameWindow = opened == from;
        // A window's button of the exercise it shows does nothing.
        const bool nothing = !opener.mainMenu && opener.exercise == target;
        QVERIFY(opened->isLoaded());
        QVERIFY(feedback.messages.isEmpty());
        QCOMPARE(program->mainMenu().isLoaded(), false);
        QVERIFY(program->background().isLoaded());
        for (Exercise other : Lesson7::All) {
            if (program->windowFor(other) != opened)
                QVERIFY2(!program->windowFor(other)->isLoaded(), qPrintable(program->windowFor(other)->name()));
        }

        // ExerciseNo: the drills 1 to 4, exercises 4 and 5 get 6 and 7, exercise 3 gets 5
        // from the main menu only, exercise 6 never gets one.
        const std::array<int, 8> exerciseNo{1, 2, 3, 4, opener.mainMenu ? 5 : before, 6, 7, before};
        QCOMPARE(shared.ExerciseNo, nothing ? before : exerciseNo[std::size_t(indexOf(target))]);
        QCOMPARE(opened->window()->windowTitle(),
                 QStringLiteral("  Bimbala!   ---   7. lecke") + QLatin1String(TitleEndings[std::size_t(indexOf(target))]));

        // The target's own button is disabled ("&6" of exercise 6 stays enabled and
        // does nothing; "&3" of exercise 3 is disabled by design); all others are enabled.
        const Names &targetNames = namesIn(opened->name());
        for (Exercise each : Lesson7::All) {
            const bool disabled = (each == target && target != Lesson7::Ex6) ||
                                  (opened->name() == u"b07d3" && each == Lesson7::Ex3);
            QVERIFY2(buttonIn(*opened, targetNames[std::size_t(indexOf(each))])->isEnabled() != disabled,
                     qPrintable(goToCaption(each)));
        }

        if (opened->name() == u"b07d1") {
            const auto drill = std::size_t(indexOf(target));
            QCOMPARE(opened->control<QLabel>(QStringLiteral("Label7"))->text(), QString::fromUtf8(DrillNumbers[drill]));
            auto *suffix = opened->control<QLabel>(QStringLiteral("Label3"));
            QVERIFY(!suffix->isHidden());
            QCOMPARE(suffix->text(), QString::fromUtf8(DrillSuffixes[drill]));
            QCOMPARE(Colour::backColor(suffix), Colour::fromLiteral(shared.ColourLockH));
            QCOMPARE(Colour::foreColor(suffix), Colour::White);
        }
        if (opened->name() == u"b07d4") {
            // Only the other exercise windows write their own heading over exercise 4's.
            const bool byOtherWindow = !opener.mainMenu && !sameWindow;
            const QString heading = target == Lesson7::Ex5             ? QStringLiteral("5. Put in the right verb forms.")
                                    : byOtherWindow                      ? QStringLiteral("4. Put in the missing suffixes:")
                                                                         : QStringLiteral("4. Put in the missing suffixes.");
            QCOMPARE(opened->control<QLabel>(QStringLiteral("Label2"))->text(), heading);
        }
    }
};

QTEST_MAIN(tst_goto_matrix)
#include "tst_goto_matrix.moc"
