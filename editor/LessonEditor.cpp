#include "LessonEditor.h"

#include "common/Feedback.h"
#include "common/InBackground.h"
#include "common/Module1.h"
#include "common/Module2.h"
#include "common/WhenDone.h"
#include "lesson/LessonFiles.h"

#include <QAction>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace LessonModel;

namespace {

// A check runs once typing has paused this long.
constexpr int PauseMs = 400;
// The steps of one field typed in one after another are one step of undo.
enum Key { TitleKey = 1, NumberKey, AuthorsKey, LicenceKey, LanguageKey, WordsKey, CaptionKey, HeadingKey, DescriptionKey,
           EndingKey };

QStringList splitList(const QString &text)
{
    QStringList split;
    for (const QString &part : text.split(u','))
        if (!part.trimmed().isEmpty())
            split << part.trimmed();
    return split;
}

void setText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

QLineEdit *lineField(QWidget *parent, const char *name)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

} // namespace

LessonEditor::LessonEditor(Feedback &feedback, const Module1 &shared)
    : Form(QStringLiteral("editor")), feedback(feedback), shared(shared)
{
    pause.setSingleShot(true);
    pause.setInterval(PauseMs);
    QObject::connect(&pause, &QTimer::timeout, &alive, [this] { checkNow(); });
    QObject::connect(&lesson, &EditedLesson::changed, &alive, [this](int exercise) {
        if (exercise >= 0)
            current = exercise;
        if (isLoaded())
            showLesson(current);
        pause.start();
    });
    for (ShapeForm *form : std::initializer_list<ShapeForm *>{&drill, &sentences, &story})
        form->edited = [this, form](const QString &what, const std::function<void(Exercise &)> &change, int key) {
            // A form not shown (its exercise another shape) has nothing to change.
            const std::vector<Exercise> &exercises = lesson.lesson().exercises;
            if (current < int(exercises.size()) && &formFor(exercises[std::size_t(current)].shape) == form)
                changeExercise(what, change, key);
        };
    story.choosePicture = [this] {
        return this->feedback.openFileName(window(), tr("A picture for the story"), QFileInfo(lesson.file()).path(),
                                           tr("Pictures (*.svg *.png *.jpg *.jpeg)"));
    };
}

LessonEditor::~LessonEditor() = default;

void LessonEditor::startNew()
{
    if (isLoaded() && !changesSettled())
        return;
    lesson.startNew();
    current = 0;
    Show();
    checkNow();
}

void LessonEditor::openLesson(const Lesson &played, const QString &file)
{
    if (isLoaded() && !changesSettled())
        return;
    lesson.open(played, file);
    current = 0;
    Show();
    checkNow();
}

void LessonEditor::build(FormWidget &window)
{
    ui = std::make_unique<Widgets>();
    buildMenus(window);
    auto *splitter = new QSplitter(&window);
    splitter->addWidget(buildLessonFields(splitter));
    auto *scroll = new QScrollArea(splitter);
    scroll->setWidgetResizable(true);
    scroll->setWidget(buildExerciseFields(scroll));
    splitter->addWidget(scroll);
    auto *problemsBox = new QGroupBox(tr("Problems"), splitter);
    auto *problemsLayout = new QVBoxLayout(problemsBox);
    ui->problems = new QListWidget(problemsBox);
    ui->problems->setObjectName(QStringLiteral("problems"));
    ui->problems->setWordWrap(true);
    ui->said = new QLabel(problemsBox);
    ui->said->setObjectName(QStringLiteral("said"));
    ui->said->setWordWrap(true);
    problemsLayout->addWidget(ui->problems, 1);
    problemsLayout->addWidget(ui->said);
    splitter->addWidget(problemsBox);
    splitter->setStretchFactor(1, 1);
    window.setCentralWidget(splitter);
    QObject::connect(ui->problems, &QListWidget::itemActivated, splitter,
                     [this](QListWidgetItem *item) { problemChosen(ui->problems->row(item)); });
    QObject::connect(ui->problems, &QListWidget::itemClicked, splitter,
                     [this](QListWidgetItem *item) { problemChosen(ui->problems->row(item)); });
    window.resize(1100, 700);
    CentreForm(&window);
    showLesson(current);
}

void LessonEditor::buildMenus(FormWidget &window)
{
    QMenu *file = window.menuBar()->addMenu(tr("&Lesson"));
    QAction *fresh = file->addAction(tr("&New lesson"), &alive, [this] { startNew(); });
    fresh->setShortcut(QKeySequence::New);
    QAction *saving = file->addAction(tr("&Save"), &alive, [this] { lesson.file().isEmpty() ? saveAs() : save(lesson.file()); });
    saving->setObjectName(QStringLiteral("save"));
    saving->setShortcut(QKeySequence::Save);
    QAction *savingAs = file->addAction(tr("Save &as..."), &alive, [this] { saveAs(); });
    savingAs->setObjectName(QStringLiteral("saveAs"));
    savingAs->setShortcut(QKeySequence::SaveAs);
    file->addSeparator();
    file->addAction(tr("&Close"), &alive, [this] { closeRequested(); })->setShortcut(QKeySequence::Close);
    QMenu *edit = window.menuBar()->addMenu(tr("&Edit"));
    QAction *undo = lesson.steps().createUndoAction(&window, tr("&Undo"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setObjectName(QStringLiteral("undo"));
    QAction *redo = lesson.steps().createRedoAction(&window, tr("&Redo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence::Redo});
    redo->setObjectName(QStringLiteral("redo"));
    edit->addAction(undo);
    edit->addAction(redo);
}

QWidget *LessonEditor::buildLessonFields(QWidget *parent)
{
    auto *side = new QWidget(parent);
    auto *layout = new QVBoxLayout(side);
    auto *fields = new QGroupBox(tr("The lesson"), side);
    auto *form = new QFormLayout(fields);
    ui->title = lineField(fields, "title");
    ui->number = new QSpinBox(fields);
    ui->number->setObjectName(QStringLiteral("number"));
    ui->number->setRange(0, 100000);
    ui->number->setSpecialValueText(tr("none"));
    ui->authors = lineField(fields, "authors");
    ui->authors->setToolTip(tr("A comma between two names."));
    ui->licence = lineField(fields, "licence");
    ui->language = lineField(fields, "language");
    ui->words = lineField(fields, "words");
    ui->words->setToolTip(tr("Names and words the dictionary lacks, which the spelling takes as right; a comma between two."));
    ui->id = new QLabel(fields);
    ui->id->setObjectName(QStringLiteral("id"));
    ui->id->setToolTip(tr("Answers are recorded under the lesson's id: it is made with the lesson and never changes."));
    form->addRow(tr("&Title:"), ui->title);
    form->addRow(tr("N&umber:"), ui->number);
    form->addRow(tr("&Authors:"), ui->authors);
    form->addRow(tr("&Licence:"), ui->licence);
    form->addRow(tr("Lan&guage:"), ui->language);
    form->addRow(tr("Its own &words:"), ui->words);
    form->addRow(tr("Id:"), ui->id);
    layout->addWidget(fields);
    layout->addWidget(buildExerciseList(side), 1);

    const auto onEdit = [this](QLineEdit *field, const QString &what, int key, auto apply) {
        QObject::connect(field, &QLineEdit::textEdited, field, [this, what, key, apply](const QString &text) {
            changeLesson(what, [apply, text](Lesson &l) { apply(l, text); }, key);
        });
    };
    onEdit(ui->title, tr("Typing in the title"), TitleKey, [](Lesson &l, const QString &t) { l.title = t; });
    onEdit(ui->authors, tr("Typing in the authors"), AuthorsKey, [](Lesson &l, const QString &t) { l.authors = splitList(t); });
    onEdit(ui->licence, tr("Typing in the licence"), LicenceKey, [](Lesson &l, const QString &t) { l.licence = t; });
    onEdit(ui->language, tr("Typing in the language"), LanguageKey, [](Lesson &l, const QString &t) { l.language = t; });
    onEdit(ui->words, tr("Typing in the lesson's words"), WordsKey, [](Lesson &l, const QString &t) { l.words = splitList(t); });
    QObject::connect(ui->number, &QSpinBox::valueChanged, side, [this](int value) {
        changeLesson(tr("Changing the number"), [value](Lesson &l) { l.number = value; }, NumberKey);
    });
    return side;
}

QWidget *LessonEditor::buildExerciseList(QWidget *parent)
{
    auto *box = new QGroupBox(tr("Exercises"), parent);
    auto *layout = new QVBoxLayout(box);
    ui->exercises = new QListWidget(box);
    ui->exercises->setObjectName(QStringLiteral("exercises"));
    layout->addWidget(ui->exercises, 1);
    QObject::connect(ui->exercises, &QListWidget::currentRowChanged, box, [this](int row) {
        if (row >= 0 && row != current) {
            current = row;
            showExercise();
        }
    });
    auto *add = new QPushButton(tr("A&dd"), box);
    add->setObjectName(QStringLiteral("add"));
    auto *shapes = new QMenu(add);
    const std::pair<Shape, QString> kinds[] = {{Shape::SuffixDrill, tr("A suffix drill")},
                                               {Shape::Sentences, tr("Sentences")},
                                               {Shape::PersonStory, tr("A person story")},
                                               {Shape::PictureStory, tr("A picture story")}};
    for (const auto &[shape, name] : kinds)
        shapes->addAction(name, add, [this, shape = shape] { lesson.addExercise(shape); });
    add->setMenu(shapes);
    const auto button = [box](const QString &caption, const char *name) {
        auto *made = new QPushButton(caption, box);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    QPushButton *duplicate = button(tr("Du&plicate"), "duplicate");
    QPushButton *remove = button(tr("&Remove"), "remove");
    QPushButton *up = button(tr("&Up"), "up");
    QPushButton *down = button(tr("Do&wn"), "down");
    QObject::connect(duplicate, &QPushButton::clicked, box, [this] { lesson.duplicateExercise(current); });
    QObject::connect(remove, &QPushButton::clicked, box, [this] { lesson.removeExercise(current); });
    QObject::connect(up, &QPushButton::clicked, box, [this] { lesson.moveExercise(current, -1); });
    QObject::connect(down, &QPushButton::clicked, box, [this] { lesson.moveExercise(current, 1); });
    auto *buttons = new QGridLayout;
    buttons->addWidget(add, 0, 0);
    buttons->addWidget(duplicate, 0, 1);
    buttons->addWidget(remove, 0, 2);
    buttons->addWidget(up, 1, 0);
    buttons->addWidget(down, 1, 1);
    layout->addLayout(buttons);
    return box;
}

QWidget *LessonEditor::buildExerciseFields(QWidget *parent)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    auto *common = new QFormLayout;
    ui->exerciseId = lineField(page, "exerciseId");
    ui->exerciseId->setReadOnly(true);
    ui->exerciseId->setToolTip(tr("Answers are recorded under the exercise's id: it is made with the exercise and never changes."));
    ui->caption = lineField(page, "caption");
    ui->caption->setToolTip(tr("Its button in the menu and the go-to grid, & before its access key: 1&a"));
    ui->heading = lineField(page, "heading");
    ui->description = lineField(page, "description");
    ui->ending = lineField(page, "caption-ending");
    common->addRow(tr("Id:"), ui->exerciseId);
    common->addRow(tr("&Caption:"), ui->caption);
    common->addRow(tr("&Heading:"), ui->heading);
    common->addRow(tr("De&scription beside its menu button:"), ui->description);
    common->addRow(tr("After the title in the window's caption:"), ui->ending);
    layout->addLayout(common);
    ui->shapes = new QStackedWidget(page);
    for (ShapeForm *form : std::initializer_list<ShapeForm *>{&drill, &sentences, &story})
        ui->shapes->addWidget(form->widget());
    layout->addWidget(ui->shapes, 1);
    ui->tryIt = new QPushButton(tr("&Try it"), page);
    ui->tryIt->setObjectName(QStringLiteral("tryIt"));
    ui->tryIt->setToolTip(tr("Plays this exercise as it stands, unsaved; nothing is recorded."));
    layout->addWidget(ui->tryIt, 0, Qt::AlignLeft);
    QObject::connect(ui->tryIt, &QPushButton::clicked, page, [this] {
        if (tryIt)
            tryIt(lesson.lesson(), current);
    });
    const auto onEdit = [this](QLineEdit *field, const QString &what, int key, auto apply) {
        QObject::connect(field, &QLineEdit::textEdited, field, [this, what, key, apply](const QString &text) {
            changeExercise(what, [apply, text](Exercise &e) { apply(e, text); }, key);
        });
    };
    onEdit(ui->caption, tr("Typing in the caption"), CaptionKey, [](Exercise &e, const QString &t) { e.caption = t; });
    onEdit(ui->heading, tr("Typing in the heading"), HeadingKey, [](Exercise &e, const QString &t) { e.heading = t; });
    onEdit(ui->description, tr("Typing in the description"), DescriptionKey,
           [](Exercise &e, const QString &t) { e.description = t; });
    onEdit(ui->ending, tr("Typing in the caption's ending"), EndingKey,
           [](Exercise &e, const QString &t) { e.captionEnding = t; });
    return page;
}

void LessonEditor::showLesson(int exercise)
{
    const Lesson &shown = lesson.lesson();
    const QString name = lesson.file().isEmpty() ? tr("not saved yet") : QFileInfo(lesson.file()).fileName();
    window()->setWindowTitle(tr("  Bimbala!   ---   Lesson editor: %1 (%2)%3")
                                 .arg(shown.title, name, lesson.modified() ? QStringLiteral(" *") : QString()));
    setText(ui->title, shown.title);
    {
        const QSignalBlocker quiet(ui->number);
        ui->number->setValue(shown.number);
    }
    if (splitList(ui->authors->text()) != shown.authors)
        setText(ui->authors, shown.authors.join(QStringLiteral(", ")));
    setText(ui->licence, shown.licence);
    setText(ui->language, shown.language);
    if (splitList(ui->words->text()) != shown.words)
        setText(ui->words, shown.words.join(QStringLiteral(", ")));
    ui->id->setText(shown.id);
    {
        const QSignalBlocker quiet(ui->exercises);
        ui->exercises->clear();
        for (const Exercise &each : shown.exercises)
            ui->exercises->addItem(QString(each.caption).remove(u'&') + QStringLiteral("  ") + each.heading);
        current = std::clamp(exercise, 0, std::max(0, int(shown.exercises.size()) - 1));
        ui->exercises->setCurrentRow(current);
    }
    showExercise();
}

ShapeForm &LessonEditor::formFor(Shape shape)
{
    switch (shape) {
    case Shape::Sentences: return sentences;
    case Shape::PersonStory:
    case Shape::PictureStory: return story;
    case Shape::SuffixDrill: break;
    }
    return drill;
}

void LessonEditor::showExercise()
{
    const std::vector<Exercise> &exercises = lesson.lesson().exercises;
    const bool any = current < int(exercises.size());
    ui->shapes->setVisible(any);
    ui->tryIt->setEnabled(any);
    for (QLineEdit *field : {ui->caption, ui->heading, ui->description, ui->ending})
        field->setEnabled(any);
    if (!any)
        return;
    const Exercise &exercise = exercises[std::size_t(current)];
    setText(ui->exerciseId, exercise.id);
    setText(ui->caption, exercise.caption);
    setText(ui->heading, exercise.heading);
    setText(ui->description, exercise.description);
    setText(ui->ending, exercise.captionEnding);
    ShapeForm &form = formFor(exercise.shape);
    ui->shapes->setCurrentWidget(form.widget());
    form.show(exercise, lesson.lesson());
}

void LessonEditor::changeLesson(const QString &what, const std::function<void(Lesson &)> &edit, int key)
{
    lesson.change(what, -1, edit, key);
}

void LessonEditor::changeExercise(const QString &what, const std::function<void(Exercise &)> &edit, int key)
{
    const int place = current;
    if (place >= int(lesson.lesson().exercises.size()))
        return;
    lesson.change(what, place, [place, edit](Lesson &l) { edit(l.exercises[std::size_t(place)]); }, key);
}

void LessonEditor::checkNow()
{
    pause.stop();
    const int asked = ++checksAsked;
    whenDone(inBackground([checked = lesson.lesson()] { return LessonFiles::check(checked); }), &alive,
             [this, asked](const LessonFiles::Checked &found) {
        if (asked == checksAsked && isLoaded())
            checked(found.problems, found.lines);
    });
}

void LessonEditor::checked(const LessonProblems &found, const LessonLines &lines)
{
    shownProblems = found;
    problemPlaces.clear();
    ui->problems->clear();
    for (const LessonProblem &problem : found) {
        const LessonPlace place = placeOfLine(lines, problem.line);
        problemPlaces.push_back(place);
        const QString where = place.exercise < 0 ? tr("The lesson")
                                                 : QString(lesson.lesson().exercises.at(std::size_t(place.exercise)).caption).remove(u'&');
        ui->problems->addItem(QStringLiteral("%1: %2").arg(where, problem.message));
    }
    ui->said->setText(found.empty() ? tr("No problems.") : QString());
}

void LessonEditor::problemChosen(int row)
{
    if (row < 0 || row >= int(problemPlaces.size()))
        return;
    const LessonPlace &place = problemPlaces[std::size_t(row)];
    if (place.exercise < 0) {
        for (QWidget *field : {static_cast<QWidget *>(ui->title), static_cast<QWidget *>(ui->authors),
                               static_cast<QWidget *>(ui->licence), static_cast<QWidget *>(ui->language),
                               static_cast<QWidget *>(ui->words), static_cast<QWidget *>(ui->number)}) {
            if (field->objectName() == place.key)
                field->setFocus();
        }
        return;
    }
    ui->exercises->setCurrentRow(place.exercise);
    for (QLineEdit *field : {ui->caption, ui->heading, ui->description, ui->ending}) {
        if (field->objectName() == place.key) {
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    if (!formFor(lesson.lesson().exercises.at(std::size_t(place.exercise)).shape).focus(place.key, place.row))
        ui->caption->setFocus();
}

bool LessonEditor::save(const QString &file)
{
    const QString problem = LessonFiles::save(lesson.lesson(), file);
    if (!problem.isEmpty()) {
        showMessage(feedback, problem, Feedback::Exclamation, shared.Title);
        return false;
    }
    lesson.saved(file);
    showLesson(current);
    if (savedAs)
        savedAs(file);
    return true;
}

bool LessonEditor::saveAs()
{
    const QString suggested = lesson.file().isEmpty() ? lesson.lesson().id + QStringLiteral(".yaml") : lesson.file();
    QString file;
    runModal([&] { file = feedback.saveFileName(window(), tr("Save the lesson"), suggested, tr("Lesson files (*.yaml)")); });
    return !file.isEmpty() && save(file);
}

bool LessonEditor::changesSettled()
{
    if (!lesson.modified())
        return true;
    Feedback::Unsaved answer = Feedback::Unsaved::Cancel;
    runModal([&] {
        answer = feedback.unsavedChanges(window(), tr("The lesson %1 has changes that are not saved. Save them?")
                                                       .arg(lesson.lesson().title),
                                         shared.Title);
    });
    switch (answer) {
    case Feedback::Unsaved::Save: return lesson.file().isEmpty() ? saveAs() : save(lesson.file());
    case Feedback::Unsaved::Discard: return true;
    case Feedback::Unsaved::Cancel: break;
    }
    return false;
}

void LessonEditor::closeRequested()
{
    if (changesSettled())
        Unload();
}

void LessonEditor::releaseControls()
{
    ui.reset();
}
