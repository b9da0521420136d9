#include "LessonWriter.h"

#include "StoryMarkup.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>

namespace {

using namespace LessonModel;

// Texts always in double quotes, so that every blank stays as it is.
class Out
{
public:
    Out()
    {
        emitter.SetIndent(2);
        emitter.SetSeqFormat(YAML::Block);
    }

    void text(const QString &value) { emitter << YAML::DoubleQuoted << value.toStdString(); }
    // A word of the format's own, as a teacher writes it: shape: suffix-drill.
    void word(const char *value) { emitter << value; }
    // Running text over lines of its own (a line break reads as a blank).
    void lines(const QStringList &lines) { emitter << YAML::Literal << lines.join(u'\n').toStdString(); }
    void number(qint64 value) { emitter << value; }
    void real(double value) { emitter << value; }
    void key(const char *name) { emitter << YAML::Key << name << YAML::Value; }
    // The field just written ends on this line (the emitter writes a key with its value).
    void written(const char *name) { mark(QString::fromLatin1(name), -1); }
    // The exercise being written (-1: the lesson's own fields) and the list whose rows follow.
    void in(int exercise) { placeExercise = exercise; }
    void listOf(const char *name) { list = QString::fromLatin1(name); }
    // A row of the list just written ends on this line.
    void rowWritten(int row) { mark(list, row); }
    LessonLines lines() const
    {
        const std::string written = emitter.c_str();
        LessonLines found;
        for (const auto &[offset, place] : marks)
            found.push_back({int(std::count(written.begin(), written.begin() + qsizetype(offset), '\n')) + 1, place});
        return found;
    }
    void textKey(const QString &name)
    {
        emitter << YAML::Key;
        text(name);
        emitter << YAML::Value;
    }
    void field(const char *name, const QString &value)
    {
        key(name);
        text(value);
        written(name);
    }
    // Left out when it is what the reader takes it to be when left out.
    void fieldUnless(const char *name, const QString &value, const QString &leftOut)
    {
        if (value != leftOut)
            field(name, value);
    }
    void numberUnless(const char *name, qint64 value, qint64 leftOut)
    {
        if (value != leftOut) {
            key(name);
            number(value);
            written(name);
        }
    }
    // A list of texts on one line.
    void texts(const QStringList &values)
    {
        emitter << YAML::Flow << YAML::BeginSeq;
        for (const QString &value : values)
            text(value);
        emitter << YAML::EndSeq;
    }
    void texts(const char *name, const QStringList &values)
    {
        key(name);
        texts(values);
        written(name);
    }
    void numbers(const char *name, const std::vector<int> &values)
    {
        key(name);
        emitter << YAML::Flow << YAML::BeginSeq;
        for (int value : values)
            number(value);
        emitter << YAML::EndSeq;
        written(name);
    }
    // A texts per person, in the story's order of persons.
    void perPerson(const char *name, const QMap<QString, QString> &values, const QStringList &persons)
    {
        if (values.isEmpty())
            return;
        key(name);
        beginFlowMap();
        for (const QString &person : persons) {
            if (values.contains(person)) {
                textKey(person);
                text(values.value(person));
            }
        }
        end(YAML::EndMap);
    }
    void beginMap() { emitter << YAML::BeginMap; }
    void beginFlowMap() { emitter << YAML::Flow << YAML::BeginMap; }
    void beginSeq() { emitter << YAML::BeginSeq; }
    void end(YAML::EMITTER_MANIP what) { emitter << what; }

    QByteArray bytes() const { return QByteArray(emitter.c_str()) + '\n'; }

private:
    void mark(const QString &key, int row) { marks.push_back({emitter.size(), {placeExercise, key, row}}); }

    YAML::Emitter emitter;
    int placeExercise = -1;
    QString list;
    std::vector<std::pair<std::size_t, LessonPlace>> marks;
};

const char *shapeName(Shape shape)
{
    switch (shape) {
    case Shape::Sentences: return "sentences";
    case Shape::PersonStory: return "person-story";
    case Shape::PictureStory: return "picture-story";
    case Shape::SuffixDrill: break;
    }
    return "suffix-drill";
}

void lessonFields(Out &out, const Lesson &lesson)
{
    out.key("lesson");
    out.beginMap();
    out.field("id", lesson.id);
    out.field("title", lesson.title);
    out.numberUnless("number", lesson.number, 0);
    out.fieldUnless("language", lesson.language, QStringLiteral("hu"));
    out.numberUnless("version", lesson.version, 1);
    if (!lesson.authors.isEmpty())
        out.texts("authors", lesson.authors);
    out.fieldUnless("licence", lesson.licence, {});
    if (!lesson.words.isEmpty())
        out.texts("words", lesson.words);
    out.end(YAML::EndMap);
}

void kinds(Out &out, const std::vector<GapKind> &kinds)
{
    if (kinds.empty())
        return;
    out.key("kinds");
    out.beginSeq();
    for (const GapKind &kind : kinds) {
        out.beginFlowMap();
        out.field("kind", kind.code);
        out.field("open", kind.open.name());
        out.field("solved", kind.solved.name());
        out.end(YAML::EndMap);
    }
    out.end(YAML::EndSeq);
}

void pictograms(Out &out, const std::vector<Pictogram> &pictograms)
{
    if (pictograms.empty())
        return;
    out.key("pictograms");
    out.beginSeq();
    for (const Pictogram &pictogram : pictograms) {
        out.beginFlowMap();
        out.field("person", pictogram.person);
        out.field("file", pictogram.file);
        out.end(YAML::EndMap);
    }
    out.end(YAML::EndSeq);
}

void drill(Out &out, const SuffixDrill &drill)
{
    out.fieldUnless("number", drill.number, {});
    out.field("suffix", drill.suffix);
    out.numberUnless("basic", drill.basic, -1);
    out.key("items");
    out.listOf("items");
    out.beginSeq();
    for (std::size_t n = 0; n < drill.items.size(); ++n) {
        out.texts({drill.items[n].cue, drill.items[n].answer});
        out.rowWritten(int(n));
    }
    out.end(YAML::EndSeq);
}

void sentences(Out &out, const SentenceExercise &sentences)
{
    out.fieldUnless("heading-from-other-window", sentences.headingFromOtherWindow, {});
    if (sentences.plusAnswerBackground)
        out.field("plus-answer-background", sentences.plusAnswerBackground->name());
    out.numberUnless("basic", sentences.basic, -1);
    out.key("rows");
    out.listOf("rows");
    out.beginSeq();
    for (std::size_t n = 0; n < sentences.rows.size(); ++n) {
        const SentenceRow &row = sentences.rows[n];
        out.beginFlowMap();
        out.field("before", row.before);
        out.field("cue", row.cue);
        out.field("offer", row.offer);
        out.field("answer", row.answer);
        out.field("after", row.after);
        out.fieldUnless("person", row.person, {});
        out.end(YAML::EndMap);
        out.rowWritten(int(n));
    }
    out.end(YAML::EndSeq);
}

// A story the program lays out, told as running text: each piece, and each gap's offer in brackets.
// Only pieces as the text makes them can be told so: plain, one between two gaps at most.
bool tellableAsText(const Story &story)
{
    int before = -1;
    for (std::size_t k = 0; k < story.pieces.size(); ++k) {
        const StoryPiece &piece = story.pieces[k];
        if (piece.index != int(k) || piece.gapsBefore == before || piece.text != piece.text.simplified() ||
            piece.text.isEmpty() || piece.text.contains(u'[') || piece.text.contains(u']') || !piece.textAtStart.isEmpty() ||
            piece.place || piece.points != 12 || piece.alignLeft || !piece.font.isEmpty())
            return false;
        before = piece.gapsBefore;
    }
    return std::all_of(story.gaps.begin(), story.gaps.end(), [](const StoryGap &gap) {
        return !gap.place && gap.offer == gap.offer.simplified() && !gap.offer.contains(u'[') && !gap.offer.contains(u']');
    });
}

// The story's text in lines of about a screen's width, broken between words, never
// inside a gap (a gap is read on one line).
QStringList storyText(const Story &story)
{
    constexpr int LineWidth = 90;
    QStringList lines{QString()};
    QString gap; // the words of a gap, kept together
    for (const QString &word : StoryMarkup::text(story).split(u' ')) {
        gap += (gap.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        if (gap.count(u'[') > gap.count(u']'))
            continue;
        if (!lines.last().isEmpty() && lines.last().size() + 1 + gap.size() > LineWidth)
            lines << QString();
        lines.last() += (lines.last().isEmpty() ? QString() : QStringLiteral(" ")) + gap;
        gap.clear();
    }
    return lines;
}

void layout(Out &out, const StoryLayout &layout)
{
    out.key("layout");
    out.beginMap();
    out.numbers("row-tops", layout.rowTops);
    out.numberUnless("box-height", layout.boxHeight, 435);
    out.field("gap-font", layout.gapFont);
    out.field("piece-font", layout.pieceFont);
    const Rect &h = layout.headingPlace, &p = layout.personPlace;
    out.numbers("heading-place", {h.left, h.top, h.width, h.height});
    out.numbers("person-place", {p.left, p.top, p.width, p.height});
    out.numberUnless("piece-drop", layout.pieceDrop, 0);
    out.end(YAML::EndMap);
}

void gap(Out &out, const StoryGap &gap, const Story &story, bool inText)
{
    out.beginFlowMap();
    out.field("kind", gap.kind);
    if (!inText)
        out.field("offer", gap.offer);
    out.texts("answers", gap.answers);
    if (!gap.alsoRight.isEmpty()) {
        out.key("also-right");
        out.beginFlowMap();
        for (const QString &person : story.persons) {
            if (gap.alsoRight.contains(person)) {
                out.textKey(person);
                out.texts(gap.alsoRight.value(person));
            }
        }
        out.end(YAML::EndMap);
    }
    out.perPerson("offer-at-start", gap.offerAtStart, story.persons);
    if (gap.place)
        out.numbers("place", {gap.place->row, gap.place->left, gap.place->width});
    out.numberUnless("picture", gap.picture, -1);
    out.end(YAML::EndMap);
}

void piece(Out &out, const StoryPiece &piece, const Story &story)
{
    out.beginFlowMap();
    out.key("index");
    out.number(piece.index);
    out.field("text", piece.text);
    if (piece.place)
        out.numbers("place", {piece.place->row, piece.place->left, piece.place->width});
    if (piece.points != 12) {
        out.key("points");
        out.real(piece.points);
    }
    if (piece.alignLeft)
        out.field("align", QStringLiteral("left"));
    out.fieldUnless("font", piece.font, {});
    out.perPerson("text-at-start", piece.textAtStart, story.persons);
    out.end(YAML::EndMap);
}

void story(Out &out, const Story &story)
{
    out.texts("persons", story.persons);
    out.fieldUnless("how-to", story.howTo, {});
    out.fieldUnless("person-label", story.personLabel, {});
    if (story.layout)
        layout(out, *story.layout);
    if (!story.pictures.empty()) {
        out.key("pictures");
        out.listOf("pictures");
        out.beginSeq();
        for (std::size_t n = 0; n < story.pictures.size(); ++n) {
            out.beginFlowMap();
            out.field("file", story.pictures[n].file);
            out.field("scene", story.pictures[n].scene);
            out.end(YAML::EndMap);
            out.rowWritten(int(n));
        }
        out.end(YAML::EndSeq);
    }
    const bool inText = !story.layout && tellableAsText(story);
    if (inText) {
        out.key("text");
        out.lines(storyText(story));
    }
    out.key("gaps");
    out.listOf("gaps");
    out.beginSeq();
    for (std::size_t n = 0; n < story.gaps.size(); ++n) {
        gap(out, story.gaps[n], story, inText);
        out.rowWritten(int(n));
    }
    out.end(YAML::EndSeq);
    if (!inText && !story.pieces.empty()) {
        out.key("pieces");
        out.beginSeq();
        for (const StoryPiece &each : story.pieces)
            piece(out, each, story);
        out.end(YAML::EndSeq);
    }
}

void exercise(Out &out, const Exercise &exercise)
{
    out.beginMap();
    out.field("id", exercise.id);
    out.field("caption", exercise.caption);
    out.field("description", exercise.description);
    out.field("heading", exercise.heading);
    out.key("shape");
    out.word(shapeName(exercise.shape));
    out.fieldUnless("caption-ending", exercise.captionEnding, {});
    out.fieldUnless("picture", exercise.menuPictureFile, {});
    out.numberUnless("menu-label-height", exercise.menuLabelHeight, 375);
    std::visit(
        [&out](const auto &content) {
            using Content = std::decay_t<decltype(content)>;
            if constexpr (std::is_same_v<Content, SuffixDrill>)
                drill(out, content);
            else if constexpr (std::is_same_v<Content, SentenceExercise>)
                sentences(out, content);
            else
                story(out, content);
        },
        exercise.content);
    out.end(YAML::EndMap);
}

} // namespace

namespace LessonWriter {

QByteArray write(const Lesson &lesson, LessonLines *lines)
{
    Out out;
    out.beginMap();
    out.key("format");
    out.number(1);
    lessonFields(out, lesson);
    kinds(out, lesson.kinds);
    pictograms(out, lesson.pictograms);
    out.key("exercises");
    out.beginSeq();
    for (std::size_t n = 0; n < lesson.exercises.size(); ++n) {
        out.in(int(n));
        exercise(out, lesson.exercises[n]);
    }
    out.end(YAML::EndSeq);
    out.end(YAML::EndMap);
    if (lines)
        *lines = out.lines();
    return out.bytes();
}

} // namespace LessonWriter
