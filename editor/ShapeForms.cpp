#include "ShapeForms.h"

#include "TextTable.h"
#include "lesson/StoryMarkup.h"

#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

using namespace LessonModel;

namespace {

// The steps of one field typed in one after another are one step of undo.
enum Key { NumberKey = 100, SuffixKey, BasicKey, ItemsKey, RowsKey, PersonsKey, TextKey, GapsKey, PicturesKey };

void setText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

void setNumber(QSpinBox *field, int value)
{
    const QSignalBlocker quiet(field);
    field->setValue(value);
}

// A table with buttons to add a row after the one worked on and to remove those chosen.
QWidget *withRowButtons(TextTable *table, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(table, 1);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QCoreApplication::translate("ShapeForm", "&Add a row"), box);
    auto *remove = new QPushButton(QCoreApplication::translate("ShapeForm", "Re&move the rows chosen"), box);
    QObject::connect(add, &QPushButton::clicked, table, &TextTable::addRow);
    QObject::connect(remove, &QPushButton::clicked, table, &TextTable::removeSelectedRows);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    layout->addLayout(buttons);
    return box;
}

bool focusRow(TextTable *table, int row, int column = 0)
{
    if (row < 0 || row >= table->rowCount())
        return false;
    table->setFocus();
    table->setCurrentCell(row, column);
    return true;
}

QStringList splitNames(const QString &names)
{
    QStringList split;
    for (const QString &name : names.split(u','))
        if (!name.trimmed().isEmpty())
            split << name.trimmed();
    return split;
}

// Which gaps of `after` are the gaps of `before` the teacher kept, by their offers in order
// (the longest run of offers both have in common): the index in `before`, or -1 for a new gap.
std::vector<int> keptGaps(const QStringList &before, const QStringList &after)
{
    const std::size_t n = std::size_t(before.size()), m = std::size_t(after.size());
    std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;)
        for (std::size_t j = m; j-- > 0;)
            common[i][j] = before[qsizetype(i)] == after[qsizetype(j)] ? common[i + 1][j + 1] + 1
                                                                       : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<int> kept(m, -1);
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (before[qsizetype(i)] == after[qsizetype(j)])
            kept[j++] = int(i++);
        else if (common[i + 1][j] >= common[i][j + 1])
            ++i;
        else
            ++j;
    }
    // A gap whose offer was changed in its place keeps what it had.
    for (std::size_t j = 0; j < m; ++j)
        if (kept[j] < 0 && n == m && std::count(kept.begin(), kept.end(), int(j)) == 0)
            kept[j] = int(j);
    return kept;
}

} // namespace

// --- the suffix drill ---

QWidget *DrillForm::widget()
{
    if (form)
        return form;
    form = new QWidget;
    auto *layout = new QFormLayout(form);
    number = new QLineEdit(form);
    suffix = new QLineEdit(form);
    basic = new QSpinBox(form);
    basic->setRange(1, 100000);
    items = new TextTable({tr("Word"), tr("Answer")}, form);
    items->setObjectName(QStringLiteral("items"));
    number->setObjectName(QStringLiteral("number"));
    suffix->setObjectName(QStringLiteral("suffix"));
    basic->setObjectName(QStringLiteral("basic"));
    layout->addRow(tr("N&umber shown before the heading:"), number);
    layout->addRow(tr("&Suffix shown beside the word:"), suffix);
    layout->addRow(tr("&Basic run asks the first:"), basic);
    layout->addRow(withRowButtons(items, form));
    QObject::connect(number, &QLineEdit::textEdited, form, [this](const QString &text) {
        tell(tr("Typing in the number"), NumberKey, [text](Exercise &e) { std::get<SuffixDrill>(e.content).number = text; });
    });
    QObject::connect(suffix, &QLineEdit::textEdited, form, [this](const QString &text) {
        tell(tr("Typing in the suffix"), SuffixKey, [text](Exercise &e) { std::get<SuffixDrill>(e.content).suffix = text; });
    });
    QObject::connect(basic, &QSpinBox::valueChanged, form, [this](int value) {
        tell(tr("Changing the basic run"), BasicKey, [value](Exercise &e) { std::get<SuffixDrill>(e.content).basic = value; });
    });
    items->edited = [this](const TextTable::Rows &rows) {
        tell(tr("Changing the words"), ItemsKey, [rows](Exercise &e) {
            auto &drill = std::get<SuffixDrill>(e.content);
            drill.items.clear();
            for (const QStringList &row : rows)
                drill.items.push_back({row.value(0), row.value(1)});
        });
    };
    return form;
}

void DrillForm::show(const Exercise &exercise, const Lesson &)
{
    const auto &drill = std::get<SuffixDrill>(exercise.content);
    setText(number, drill.number);
    setText(suffix, drill.suffix);
    setNumber(basic, drill.basic);
    TextTable::Rows rows;
    for (const WordItem &item : drill.items)
        rows.push_back({item.cue, item.answer});
    items->show(rows);
}

bool DrillForm::focus(const QString &key, int row)
{
    if (key == u"items")
        return focusRow(items, row);
    for (QWidget *field : {static_cast<QWidget *>(number), static_cast<QWidget *>(suffix), static_cast<QWidget *>(basic)}) {
        if (field->objectName() == key) {
            field->setFocus();
            return true;
        }
    }
    return false;
}

// --- the sentence exercises ---

QWidget *SentenceForm::widget()
{
    if (form)
        return form;
    form = new QWidget;
    auto *layout = new QFormLayout(form);
    basic = new QSpinBox(form);
    basic->setRange(1, 100000);
    basic->setObjectName(QStringLiteral("basic"));
    rows = new TextTable({tr("Before"), tr("Cue"), tr("Offer"), tr("Answer"), tr("After"), tr("Pictogram")}, form);
    rows->setObjectName(QStringLiteral("rows"));
    rows->setToolTip(tr("The pictogram names a person: én, te, Ön, mi, ti, Önök, or one of the lesson's own."));
    layout->addRow(tr("&Basic run asks the first:"), basic);
    layout->addRow(withRowButtons(rows, form));
    QObject::connect(basic, &QSpinBox::valueChanged, form, [this](int value) {
        tell(tr("Changing the basic run"), BasicKey,
             [value](Exercise &e) { std::get<SentenceExercise>(e.content).basic = value; });
    });
    rows->edited = [this](const TextTable::Rows &table) {
        tell(tr("Changing the sentences"), RowsKey, [table](Exercise &e) {
            auto &sentences = std::get<SentenceExercise>(e.content);
            sentences.rows.clear();
            for (const QStringList &r : table)
                sentences.rows.push_back({r.value(0), r.value(1), r.value(2), r.value(3), r.value(4), r.value(5)});
        });
    };
    return form;
}

void SentenceForm::show(const Exercise &exercise, const Lesson &)
{
    const auto &sentences = std::get<SentenceExercise>(exercise.content);
    setNumber(basic, sentences.basic);
    TextTable::Rows table;
    for (const SentenceRow &r : sentences.rows)
        table.push_back({r.before, r.cue, r.offer, r.answer, r.after, r.person});
    rows->show(table);
}

bool SentenceForm::focus(const QString &key, int row)
{
    if (key == u"rows")
        return focusRow(rows, row);
    if (key != u"basic")
        return false;
    basic->setFocus();
    return true;
}

// --- the stories ---

QWidget *StoryForm::widget()
{
    if (form)
        return form;
    form = new QWidget;
    auto *layout = new QFormLayout(form);
    persons = new QLineEdit(form);
    persons->setObjectName(QStringLiteral("persons"));
    persons->setToolTip(tr("One to eight persons, a comma between two: Anna, én, te"));
    text = new QPlainTextEdit(form);
    text->setObjectName(QStringLiteral("text"));
    text->setToolTip(tr("The story as the learner reads it, each gap in square brackets holding the word it shows "
                        "at first: Anna [belép] a lakásba."));
    auto *textSaid = new QLabel(form);
    textSaid->setObjectName(QStringLiteral("textSaid"));
    textSaid->setWordWrap(true);
    gaps = new TextTable({}, form);
    gaps->setObjectName(QStringLiteral("gaps"));
    layout->addRow(tr("&Persons:"), persons);
    layout->addRow(tr("&Text:"), text);
    layout->addRow(textSaid);
    layout->addRow(tr("Gaps:"), gaps);
    pictureBox = new QWidget(form);
    auto *pictureLayout = new QVBoxLayout(pictureBox);
    pictureLayout->setContentsMargins(0, 0, 0, 0);
    pictures = new TextTable({tr("File"), tr("Scene")}, pictureBox);
    pictures->setObjectName(QStringLiteral("pictures"));
    auto *add = new QPushButton(tr("Add a &picture..."), pictureBox);
    pictureLayout->addWidget(pictures);
    pictureLayout->addWidget(add, 0, Qt::AlignLeft);
    layout->addRow(tr("Pictures:"), pictureBox);
    QObject::connect(persons, &QLineEdit::textEdited, form, [this] { personsEdited(); });
    QObject::connect(text, &QPlainTextEdit::textChanged, form, [this, textSaid] {
        if (showing)
            return;
        const StoryMarkup::Story parsed = StoryMarkup::parse(text->toPlainText());
        textSaid->setText(parsed.problems.empty() ? QString() : parsed.problems.front().message);
        if (parsed.problems.empty())
            textEdited();
    });
    gaps->edited = [this](const TextTable::Rows &rows) { gapsEdited(rows); };
    pictures->edited = [this](const TextTable::Rows &rows) { picturesEdited(rows); };
    QObject::connect(add, &QPushButton::clicked, form, [this] { addPicture(); });
    return form;
}

void StoryForm::show(const Exercise &exercise, const Lesson &)
{
    const auto &story = std::get<Story>(exercise.content);
    showing = true;
    pictureStory = exercise.shape == Shape::PictureStory;
    laidOut = story.layout.has_value();
    shownPersons = story.persons;
    if (splitNames(persons->text()) != story.persons)
        setText(persons, story.persons.join(QStringLiteral(", ")));
    // A story the lesson lays out itself keeps its places: its text is shown, not changed here.
    text->setReadOnly(laidOut);
    const QString told = StoryMarkup::text(story);
    if (StoryMarkup::parse(text->toPlainText()).pieces != StoryMarkup::parse(told).pieces ||
        text->toPlainText().count(u'[') != qsizetype(story.gaps.size()))
        text->setPlainText(told);
    showGaps(story);
    pictureBox->setVisible(pictureStory);
    TextTable::Rows shownPictures;
    for (const StoryPicture &picture : story.pictures)
        shownPictures.push_back({picture.file, picture.scene});
    pictures->show(shownPictures);
    showing = false;
}

void StoryForm::showGaps(const Story &story)
{
    QStringList columns{tr("Kind")};
    for (const QString &person : story.persons)
        columns << tr("Answer for %1").arg(person);
    if (pictureStory)
        columns << tr("Picture");
    if (gaps->columnCount() != columns.size()) {
        gaps->setColumnCount(int(columns.size()));
        gaps->setRowCount(0);
    }
    gaps->setHorizontalHeaderLabels(columns);
    TextTable::Rows rows;
    for (const StoryGap &gap : story.gaps) {
        QStringList row{gap.kind};
        for (int p = 0; p < story.persons.size(); ++p)
            row << gap.answers.value(p);
        if (pictureStory)
            row << (gap.picture >= 0 ? QString::number(gap.picture) : QString());
        rows.push_back(row);
    }
    gaps->show(rows);
}

// The answers go with their persons: a person renamed keeps their place's, one added has none yet.
void StoryForm::personsEdited()
{
    const QStringList named = splitNames(persons->text());
    const QStringList before = shownPersons;
    tell(tr("Changing the persons"), PersonsKey, [named, before](Exercise &e) {
        Story &story = std::get<Story>(e.content);
        story.persons = named;
        for (StoryGap &gap : story.gaps) {
            QStringList answers;
            for (int p = 0; p < named.size(); ++p) {
                const qsizetype was = before.indexOf(named[p]);
                answers << (was >= 0 ? gap.answers.value(was) : named.size() == before.size() ? gap.answers.value(p) : QString());
            }
            gap.answers = answers;
        }
    });
}

// The pieces and offers of the text; the gaps kept are matched by their offers, so that a gap
// added or taken out of the text takes its row of the table with it.
void StoryForm::textEdited()
{
    const StoryMarkup::Story parsed = StoryMarkup::parse(text->toPlainText());
    tell(tr("Typing in the story"), TextKey, [parsed](Exercise &e) {
        Story &story = std::get<Story>(e.content);
        QStringList before, after;
        for (const StoryGap &gap : story.gaps)
            before << gap.offer;
        for (const StoryMarkup::Gap &gap : parsed.gaps)
            after << gap.offer;
        const std::vector<int> kept = keptGaps(before, after);
        std::vector<StoryGap> gaps;
        for (std::size_t n = 0; n < parsed.gaps.size(); ++n) {
            StoryGap gap;
            if (kept[n] >= 0) {
                gap = story.gaps[std::size_t(kept[n])];
            } else {
                gap.kind = QStringLiteral("al");
                for (int p = 0; p < story.persons.size(); ++p)
                    gap.answers << QString();
            }
            gap.offer = parsed.gaps[n].offer;
            gaps.push_back(gap);
        }
        story.gaps = std::move(gaps);
        story.pieces = parsed.pieces;
    });
}

void StoryForm::gapsEdited(const TextTable::Rows &rows)
{
    const bool withPictures = pictureStory;
    tell(tr("Changing the gaps"), GapsKey, [rows, withPictures](Exercise &e) {
        Story &story = std::get<Story>(e.content);
        for (std::size_t n = 0; n < story.gaps.size() && n < rows.size(); ++n) {
            StoryGap &gap = story.gaps[n];
            const QStringList &row = rows[n];
            gap.kind = row.value(0);
            gap.answers = row.mid(1, story.persons.size());
            while (gap.answers.size() < story.persons.size())
                gap.answers << QString();
            if (withPictures) {
                bool number = false;
                const int picture = row.value(1 + int(story.persons.size())).toInt(&number);
                gap.picture = number ? picture : -1;
            }
        }
    });
}

void StoryForm::picturesEdited(const TextTable::Rows &rows)
{
    tell(tr("Changing the pictures"), PicturesKey, [rows](Exercise &e) {
        Story &story = std::get<Story>(e.content);
        std::vector<StoryPicture> kept;
        for (std::size_t n = 0; n < rows.size(); ++n) {
            StoryPicture picture = n < story.pictures.size() ? story.pictures[n] : StoryPicture{};
            if (picture.file != rows[n].value(0))
                picture.picture.clear(); // another file: read when the lesson is checked or saved
            picture.file = rows[n].value(0);
            picture.scene = rows[n].value(1);
            kept.push_back(picture);
        }
        story.pictures = std::move(kept);
    });
}

void StoryForm::addPicture()
{
    const QString path = choosePicture ? choosePicture() : QString();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // At most what a lesson's picture may be; the check says more of what it is.
    const QByteArray bytes = file.read(1024 * 1024 + 1);
    tell(tr("Adding a picture"), -1, [bytes, name = QFileInfo(path).fileName()](Exercise &e) {
        std::get<Story>(e.content).pictures.push_back({name, QString(), bytes});
    });
}

bool StoryForm::focus(const QString &key, int row)
{
    if (key == u"gaps")
        return focusRow(gaps, row, 1);
    if (key == u"pictures")
        return focusRow(pictures, row);
    if (key == u"persons") {
        persons->setFocus();
        return true;
    }
    if (key == u"text") {
        text->setFocus();
        return true;
    }
    return false;
}
