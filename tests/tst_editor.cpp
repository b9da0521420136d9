// The lesson editor as a teacher uses it: a new lesson of a drill, sentences and a story made,
// its problems listed and fixed, tried, saved and played; every change undone; closing with
// changes asks; a lesson saved where it cannot be leaves the file as it was.
#include "ExerciseSession.h"

#include "editor/LessonEditor.h"
#include "editor/TextTable.h"
#include "lesson/LessonReader.h"

#include <QAction>
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class tst_Editor : public ExerciseSession
{
    Q_OBJECT

    LessonEditor &editor() const { return program->navigation().windows().editor(); }
    template <typename T>
    T *field(const QString &name) const
    {
        // The forms of the shapes not shown have fields of the same names.
        T *found = nullptr;
        for (T *candidate : editor().window()->findChildren<T *>(name))
            if (!found || candidate->isVisibleTo(editor().window()))
                found = candidate;
        if (!found)
            qFatal("the editor has no %s", qPrintable(name));
        return found;
    }
    void chooseLesson(const QString &action)
    {
        auto *menu = program->mainMenu().window()->findChild<QMenu *>(u"mnuLesson"_s);
        emit menu->aboutToShow();
        menu->findChild<QAction *>(action)->trigger();
    }
    // Types into a field as a teacher does: a change per key, one step of undo for them all.
    void typeInto(const QString &name, const QString &text)
    {
        auto *line = field<QLineEdit>(name);
        line->setFocus();
        line->selectAll();
        TestSupport::type(line, text);
    }
    // Pastes rows of a spreadsheet into a table, from its first cell.
    void paste(TextTable *table, const QString &rows)
    {
        QApplication::clipboard()->setText(rows);
        table->setFocus();
        table->setCurrentCell(0, 0);
        QTest::keySequence(table, QKeySequence::Paste);
    }
    void addExercise(int shape)
    {
        auto *add = field<QPushButton>(u"add"_s);
        add->menu()->actions().at(shape)->trigger();
    }
    // The problems of the lesson as it stands, once checked.
    QStringList problems()
    {
        editor().checkNow();
        field<QLabel>(u"said"_s)->clear();
        field<QListWidget>(u"problems"_s)->clear();
        QElapsedTimer waited;
        waited.start();
        while (field<QLabel>(u"said"_s)->text().isEmpty() && field<QListWidget>(u"problems"_s)->count() == 0 &&
               waited.elapsed() < 5000)
            QTest::qWait(20);
        QStringList said;
        for (const LessonProblem &problem : editor().problems())
            said << problem.message;
        return said;
    }

private Q_SLOTS:
    void init()
    {
        ExerciseSession::init();
        QSettings(u"bimbala"_s, u"bimbala"_s).clear();
        program->showMainMenu(false);
    }

    // A teacher makes a lesson from nothing, fixes the problem listed, tries it, saves it,
    // and plays it from the Lesson menu.
    void teacherMakesALesson()
    {
        chooseLesson(u"mnuNewLesson"_s);
        QVERIFY(editor().isLoaded());
        typeInto(u"title"_s, u"9. lecke"_s);
        // A drill of three words, pasted from a spreadsheet.
        paste(field<TextTable>(u"items"_s), u"ház\tházban\nkert\tkertben\nszoba\tszobában\n"_s);
        field<QSpinBox>(u"basic"_s)->setValue(3);
        typeInto(u"suffix"_s, u"-ban/-ben"_s);
        // A sentence with a pictogram.
        addExercise(1);
        QCOMPARE(field<QListWidget>(u"exercises"_s)->currentRow(), 1);
        paste(editor().window()->findChild<TextTable *>(u"rows"_s), u"Holnap\t(megy)\tmegy\tmegyünk\tmoziba.\tmi\n"_s);
        // A story of two persons.
        addExercise(2);
        typeInto(u"persons"_s, u"én, te"_s);
        auto *text = field<QPlainTextEdit>(u"text"_s);
        text->setPlainText(u"Reggel [felkel]. Aztán [reggelizik]."_s);
        auto *gaps = field<TextTable>(u"gaps"_s);
        QCOMPARE(gaps->rowCount(), 2);
        paste(gaps, u"al\tfelkelek\tfelkelsz\nal\treggelizem\t\n"_s);
        // One answer is missing: the editor lists it, and choosing it goes to its gap.
        const QStringList listed = problems();
        QVERIFY2(listed.size() == 1, qPrintable(listed.join(u'\n')));
        QVERIFY2(listed.first().contains(u"empty answer"), qPrintable(listed.first()));
        field<QListWidget>(u"problems"_s)->setCurrentRow(0);
        emit field<QListWidget>(u"problems"_s)->itemActivated(field<QListWidget>(u"problems"_s)->item(0));
        QCOMPARE(QApplication::focusWidget(), gaps);
        QCOMPARE(gaps->currentRow(), 1);
        gaps->item(1, 2)->setText(u"reggelizel"_s);
        QCOMPARE(problems(), QStringList());
        // Tried: the story plays in its own window, nothing recorded; closing it comes back.
        field<QPushButton>(u"tryIt"_s)->click();
        QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->objectName() == u"b07d6");
        QApplication::activeWindow()->findChild<QPushButton *>(u"Command3"_s)->click();
        QTRY_VERIFY(editor().isLoaded() && !QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(TestSupport::exported(program->record()).size(), 1);
        // Saved, then played from the Lesson menu.
        QTemporaryDir folder;
        feedback.fileToSave = folder.filePath(u"lecke9.yaml"_s);
        editor().window()->findChild<QAction *>(u"save"_s)->trigger();
        const LessonReader::Reading saved = LessonReader::read(feedback.fileToSave);
        QVERIFY2(saved.lesson, saved.problems.empty() ? "" : qPrintable(saved.problems.front().text()));
        QVERIFY(*saved.lesson == editor().edited().lesson());
        QVERIFY(!editor().edited().modified());
        editor().Unload();
        feedback.fileToOpen = feedback.fileToSave;
        chooseLesson(u"mnuOpenLesson"_s);
        QTRY_COMPARE(program->lesson().lesson().title, u"9. lecke"_s);
        open(Exercise{0});
        startButton()->click();
        const QHash<QString, QString> answers{{u"ház"_s, u"házban"_s}, {u"kert"_s, u"kertben"_s}, {u"szoba"_s, u"szobában"_s}};
        for (int n = 0; n < 3; ++n) {
            const QString word = find<QLabel>(u"Label8"_s)->text().trimmed();
            TestSupport::retype(find<QLineEdit>(u"Text1"_s), answers.value(word));
            TestSupport::pressEnter(find<QLineEdit>(u"Text1"_s));
        }
        expectMessage(program->shared().MsgDone);
    }

    // Every change is a step undone and done again; the keys typed in one field are one step.
    void everyChangeUndone()
    {
        chooseLesson(u"mnuEditLesson"_s);
        QCOMPARE(field<QLineEdit>(u"heading"_s)->text(), u"Put in the correct suffixes."_s);
        typeInto(u"heading"_s, u"Hol van?"_s);
        field<QPushButton>(u"remove"_s)->click();
        QCOMPARE(editor().edited().lesson().exercises.size(), std::size_t(7));
        QAction *undo = editor().window()->findChild<QAction *>(u"undo"_s);
        QAction *redo = editor().window()->findChild<QAction *>(u"redo"_s);
        undo->trigger();
        QCOMPARE(editor().edited().lesson().exercises.size(), std::size_t(8));
        QCOMPARE(field<QLineEdit>(u"heading"_s)->text(), u"Hol van?"_s);
        undo->trigger();
        QCOMPARE(field<QLineEdit>(u"heading"_s)->text(), u"Put in the correct suffixes."_s);
        QVERIFY(!editor().edited().modified());
        redo->trigger();
        QCOMPARE(field<QLineEdit>(u"heading"_s)->text(), u"Hol van?"_s);
        // Lesson 7, built in, is a copy to save elsewhere: closing with a change asks.
        QVERIFY(editor().edited().file().isEmpty());
        feedback.unsavedAnswer = Feedback::Unsaved::Cancel;
        editor().window()->close();
        QVERIFY(editor().isLoaded());
        feedback.unsavedAnswer = Feedback::Unsaved::Discard;
        editor().window()->close();
        QVERIFY(!editor().isLoaded());
    }

    // Gaps added to or taken out of a story's text take their rows with them.
    void storyGapsKeptInStep()
    {
        chooseLesson(u"mnuNewLesson"_s);
        addExercise(2);
        auto *text = field<QPlainTextEdit>(u"text"_s);
        text->setPlainText(u"Reggel [felkel], este [lefekszik]."_s);
        auto *gaps = field<TextTable>(u"gaps"_s);
        paste(gaps, u"al\tfelkelek\tfelkelsz\nal\tlefekszem\tlefekszel\n"_s);
        text->setPlainText(u"Reggel [felkel], délben [ebédel], este [lefekszik]."_s);
        const auto &story = std::get<LessonModel::Story>(editor().edited().lesson().exercises.at(1).content);
        QCOMPARE(story.gaps.size(), std::size_t(3));
        QCOMPARE(story.gaps[0].answers, (QStringList{u"felkelek"_s, u"felkelsz"_s}));
        QCOMPARE(story.gaps[1].answers, (QStringList{QString(), QString()}));
        QCOMPARE(story.gaps[2].answers, (QStringList{u"lefekszem"_s, u"lefekszel"_s}));
        text->setPlainText(u"Reggel [felkel], este [lefekszik]."_s);
        QCOMPARE(std::get<LessonModel::Story>(editor().edited().lesson().exercises.at(1).content).gaps[1].answers,
                 (QStringList{u"lefekszem"_s, u"lefekszel"_s}));
        feedback.unsavedAnswer = Feedback::Unsaved::Discard;
        editor().window()->close();
    }

    // Saved where it cannot be: the file stays as it was, the changes stay in the editor, and why is said.
    void savedWhereItCannotBe()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath(u"lecke.yaml"_s);
        chooseLesson(u"mnuNewLesson"_s);
        feedback.fileToSave = file;
        editor().window()->findChild<QAction *>(u"save"_s)->trigger();
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QVERIFY(!before.isEmpty());
        typeInto(u"title"_s, u"Más"_s);
        {
            TestSupport::ReadOnlyFolder readOnly(folder.path());
            QVERIFY(readOnly.ok);
            feedback.clear();
            editor().window()->findChild<QAction *>(u"save"_s)->trigger();
            QCOMPARE(feedback.messages.size(), 1);
            QVERIFY(editor().edited().modified());
        }
        QFile after(file);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
        feedback.unsavedAnswer = Feedback::Unsaved::Discard;
        editor().window()->close();
    }
};

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
