#include "LessonReader.h"

#include "LessonSpelling.h"
#include "StoryMarkup.h"
#include "YamlFields.h"
#include "YamlPrecheck.h"
#include "common/Colour.h"
#include "common/Counted.h"
#include "common/RasterPicture.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <string>
#include <string_view>

#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace LessonModel;

namespace {

// The format this reader knows; a later one says so in its "format".
constexpr int FormatVersion = 1;
// The kinds of gap the program's colours know; a lesson may bring more.
const QStringList GapKinds{QStringLiteral("al"), QStringLiteral("h"), QStringLiteral("t")};
// The person chooser lists them all at once.
constexpr int MostPersons = 8;
constexpr int MostKinds = 16;
constexpr int MostPictograms = 16;
constexpr int MostExercises = 16;
// A lesson's window is 9210 twips wide.
constexpr int WindowWidth = 9210;
constexpr int MostTwips = 20000;
constexpr qint64 MostPictureBytes = 1024 * 1024;

// Well-formed XML whose root is an <svg> element: checked in one pass with expat,
// without building the picture, so that reading a lesson stays quick.
bool isSvg(const QByteArray &bytes)
{
    struct Root
    {
        bool seen = false;
        bool svg = false;
    } root;
    // Names come as "namespace|local" when the element has a namespace.
    XML_Parser parser = XML_ParserCreateNS(nullptr, '|');
    XML_SetUserData(parser, &root);
    XML_SetStartElementHandler(parser, [](void *data, const XML_Char *name, const XML_Char **) {
        auto *found = static_cast<Root *>(data);
        if (found->seen)
            return;
        found->seen = true;
        const std::string_view element(name);
        found->svg = element == "svg" || element.ends_with("|svg");
    });
    const bool wellFormed = XML_Parse(parser, bytes.constData(), int(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return wellFormed && root.svg;
}

// Reads at most `most` + 1 bytes of the file at `path` into `bytes`, if it is a regular
// file; otherwise what it is. Never a device, which gives bytes without end, nor a pipe,
// which may give none ever: the file's kind is looked at before it is opened, and again
// on the file opened, which cannot block (it may have changed in between).
QString readRegularFile(const QString &path, qint64 most, QByteArray &bytes)
{
    // Lesson 7 and its pictures are compiled in.
    if (path.startsWith(u':')) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot be read (%1)").arg(resource.errorString());
        bytes = resource.read(most + 1);
        return {};
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("is a folder, a device or a pipe, not a regular file");
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat opened = {};
    if (descriptor < 0 || ::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        const QString why = descriptor < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("not a file");
        if (descriptor >= 0)
            ::close(descriptor);
        return QStringLiteral("cannot be read (%1)").arg(why);
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    }
    bytes = file.read(most + 1);
    return {};
}

// Whether the canonical `path` lies inside the canonical `folder`, compared name by name:
// /x/les-other/p.svg is not inside /x/les, though its text begins with the folder's.
bool isInside(const QString &path, const QString &folder)
{
    const QStringList names = path.split(u'/', Qt::SkipEmptyParts);
    const QStringList folderNames = folder.split(u'/', Qt::SkipEmptyParts);
    return !folder.isEmpty() && names.size() > folderNames.size() &&
           std::equal(folderNames.begin(), folderNames.end(), names.begin());
}

// Reads the picture `name` of the lesson in `folder` into `bytes`; what is wrong with it
// otherwise. A stranger's lesson may name anything: only a regular file inside the
// lesson's folder (links followed) is read, never a device or a pipe that would give
// bytes without end or none ever, and no more of it than a picture may have.
QString readPicture(const QString &folder, const QString &name, QByteArray &bytes)
{
    QString real = folder + u'/' + name;
    if (!folder.startsWith(u':')) {
        real = QFileInfo(real).canonicalFilePath();
        if (real.isEmpty())
            return QCoreApplication::translate("LessonReader", "the picture %1 cannot be read: there is no such file").arg(name);
        if (!isInside(real, QFileInfo(folder).canonicalFilePath()))
            return QCoreApplication::translate("LessonReader", "the picture %1 is outside the lesson's folder: "
                                                               "keep the pictures in the folder of the lesson file")
                .arg(name);
    }
    if (const QString problem = readRegularFile(real, MostPictureBytes, bytes); !problem.isEmpty())
        return QStringLiteral("the picture %1 %2").arg(name, problem);
    if (bytes.size() > MostPictureBytes)
        return QCoreApplication::translate("LessonReader", "the picture %1 is larger than %2 MB: make it smaller")
            .arg(name)
            .arg(MostPictureBytes / (1024 * 1024));
    return {};
}

// What is wrong with the bytes of the picture `name`, known by their content: an SVG
// picture is well-formed, a PNG or JPEG picture decodes whole, within RasterPicture's limits.
QString pictureContentProblem(const QString &name, const QByteArray &bytes)
{
    using Outcome = RasterPicture::Decoded::Outcome;
    const RasterPicture::Format format = RasterPicture::format(bytes);
    if (format == RasterPicture::Format::None)
        return isSvg(bytes) ? QString()
                            : QCoreApplication::translate("LessonReader", "the picture %1 is no SVG, PNG or JPEG picture").arg(name);
    const QString formatName = format == RasterPicture::Format::Png ? QStringLiteral("PNG") : QStringLiteral("JPEG");
    const RasterPicture::Decoded decoded = RasterPicture::decode(bytes);
    switch (decoded.outcome) {
    case Outcome::Decoded:
        return {};
    case Outcome::NoDecoder:
        return QCoreApplication::translate("LessonReader", "the picture %1 is a %2 picture, which this computer cannot read "
                                                           "(Qt's %2 plugin is not installed): save it as an SVG or PNG picture")
            .arg(name, formatName);
    case Outcome::TooLarge:
        return QCoreApplication::translate("LessonReader", "the picture %1 is %2 × %3 pixels; a picture has at most "
                                                           "%4 × %4: make it smaller")
            .arg(name)
            .arg(decoded.size.width())
            .arg(decoded.size.height())
            .arg(RasterPicture::MostSide);
    case Outcome::Damaged:
        break;
    }
    return QCoreApplication::translate("LessonReader", "the picture %1 is a %2 picture that is damaged or cut short: "
                                                       "save it again from a picture program")
        .arg(name, formatName);
}

// Where the brackets of a text scalar stand in the file, in order. The n-th bracket
// of the text is the n-th bracket of its source from the scalar's start (its quote or
// its `|`): quoting, folding and indentation never add or drop one. Found in one pass,
// however many brackets are out of place. A bracket written as an escape ("\x5B") has
// no bracket in the source, so a problem after it is shown at a later bracket.
class BracketMarks
{
public:
    BracketMarks(const QByteArray &source, const YAML::Node &node, const QString &text) : start(node.Mark())
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isBracket(text.at(i)))
                inText.push_back(i);
        }
        for (qsizetype i = std::max(0, start.pos); i < source.size() && inSource.size() < inText.size(); ++i) {
            if (isBracket(source.at(i)))
                inSource.push_back(int(i));
        }
    }

    // Where the bracket at `at` in the text stands in the file.
    YAML::Mark operator()(qsizetype at) const
    {
        const auto found = std::lower_bound(inText.begin(), inText.end(), at);
        const auto n = std::size_t(found - inText.begin());
        YAML::Mark mark = start;
        if (found != inText.end() && *found == at && n < inSource.size())
            mark.pos = inSource[n];
        return mark;
    }

private:
    static bool isBracket(auto c) { return c == '[' || c == ']'; }

    YAML::Mark start;
    std::vector<qsizetype> inText;
    std::vector<int> inSource;
};

class Reader
{
public:
    Reader(YamlReport &report, QString folder, const QByteArray &source)
        : report(report), folder(std::move(folder)), source(source)
    {
    }

    std::optional<Lesson> lesson(const YAML::Node &root);


private:
    void exercise(const YAML::Node &node, Exercise &into);
    void suffixDrill(YamlFields &fields, SuffixDrill &into);
    void sentences(YamlFields &fields, SentenceExercise &into);
    void story(YamlFields &fields, Story &into, bool withPictures);
    std::optional<StoryLayout> layout(const YAML::Node &node);
    StoryGap gap(const YAML::Node &node, const Story &story, int number, bool toldInText);
    void takeText(const QString &written, const YamlFields &fields, const std::vector<YAML::Node> &gapNodes,
                  Story &into);
    StoryPiece piece(const YAML::Node &node, const Story &story, int number);
    std::optional<Place> place(YamlFields &fields, const char *key);
    std::optional<Rect> rect(YamlFields &fields, const char *key, bool required);
    std::optional<std::vector<int>> numbers(YamlFields &fields, const char *key, int count, bool required = false);
    QMap<QString, QString> perPerson(YamlFields &fields, const char *key, const Story &story);
    StoryPicture picture(const YAML::Node &node, int number);
    // An SVG, PNG or JPEG picture named relative to the lesson file, checked.
    QByteArray pictureFile(const QString &name, const YAML::Mark &at);
    void checkLayout(const Story &story, const YamlFields &fields);
    void persons(YamlFields &fields, Story &into);
    // The lesson's own kinds of gap and pictograms, which its exercises may then use.
    void kinds(YamlFields &fields, std::vector<GapKind> &into);
    void pictograms(YamlFields &fields, std::vector<Pictogram> &into);
    std::optional<QColor> colour(YamlFields &fields, const char *key);
    std::vector<YAML::Node> lessonList(YamlFields &fields, const char *key, int most);
    QStringList knownKinds = GapKinds;
    QStringList knownPictograms = Pictograms;
    void checkAccessKeys(const std::vector<Exercise> &exercises, const std::vector<YAML::Mark> &at);
    YamlReport &report;
    QString folder;
    const QByteArray &source;
};

std::optional<Lesson> Reader::lesson(const YAML::Node &root)
{
    Lesson result;
    YamlFields fields(root, report, QStringLiteral("the lesson file"));
    if (!fields.valid())
        return std::nullopt;
    if (const std::optional<int> format = fields.number("format", true, 1, 1000); format && *format > FormatVersion)
        report.problem(fields.at("format"),
                       QStringLiteral("the file is of format %1; this program reads format %2").arg(*format).arg(FormatVersion));
    if (const std::optional<YAML::Node> about = fields.mapping("lesson")) {
        YamlFields lesson(*about, report, QStringLiteral("the lesson"));
        result.id = lesson.text("id").value_or(QString());
        result.title = lesson.text("title").value_or(QString());
        result.number = lesson.number("number", false, 0, 100000).value_or(0);
        // The program teaches Hungarian; a lesson names its language for what speaks it.
        result.language = lesson.text("language", QStringLiteral("hu"));
        result.version = lesson.number("version", false, 1, 1000000).value_or(1);
        result.authors = lesson.texts("authors", false).value_or(QStringList());
        result.licence = lesson.text("licence", QString());
        // The lesson's own words for the spelling check (names, words the dictionary lacks).
        result.words = lesson.texts("words", false).value_or(QStringList());
    }
    kinds(fields, result.kinds);
    pictograms(fields, result.pictograms);
    std::vector<YAML::Mark> marks;
    if (const std::optional<std::vector<YAML::Node>> exercises = fields.list("exercises")) {
        if (exercises->empty() || exercises->size() > std::size_t(MostExercises))
            report.problem(fields.at("exercises"),
                           QStringLiteral("a lesson has 1 to %1 exercises, not %2").arg(MostExercises).arg(exercises->size()));
        QHash<QString, int> idLines; // an exercise's id, and the line it stands on
        for (const YAML::Node &node : *exercises) {
            Exercise exercise;
            this->exercise(node, exercise);
            const YAML::Mark id = node.IsMap() && node["id"].IsDefined() ? node["id"].Mark() : node.Mark();
            if (!exercise.id.isEmpty() && idLines.contains(exercise.id))
                report.problem(id, QStringLiteral("a second exercise \"%1\" (the first is on line %2)")
                                       .arg(exercise.id)
                                       .arg(idLines.value(exercise.id)));
            else
                idLines.insert(exercise.id, id.line + 1);
            result.exercises.push_back(std::move(exercise));
            // A caption's problem is said at its caption.
            marks.push_back(node.IsMap() && node["caption"].IsDefined() ? node["caption"].Mark() : node.Mark());
        }
    }
    checkAccessKeys(result.exercises, marks);
    return result;
}

void Reader::checkAccessKeys(const std::vector<Exercise> &exercises, const std::vector<YAML::Mark> &at)
{
    QMap<QChar, QString> taken;
    for (std::size_t i = 0; i < exercises.size(); ++i) {
        const QString &caption = exercises[i].caption;
        const qsizetype amp = caption.indexOf(u'&');
        if (caption.isEmpty())
            continue;
        if (amp < 0 || amp + 1 >= caption.size() || caption.indexOf(u'&', amp + 1) >= 0) {
            report.problem(at[i], QStringLiteral("the caption \"%1\" must have one & before its access key").arg(caption));
            continue;
        }
        const QChar key = caption.at(amp + 1).toLower();
        if (taken.contains(key))
            report.problem(at[i], QStringLiteral("the access key \"%1\" of \"%2\" is also that of \"%3\"")
                                      .arg(key, caption, taken.value(key)));
        taken.insert(key, caption);
    }
}

void Reader::exercise(const YAML::Node &node, Exercise &into)
{
    YamlFields fields(node, report, QStringLiteral("an exercise"));
    if (!fields.valid())
        return;
    into.id = fields.text("id").value_or(QString());
    into.caption = fields.text("caption").value_or(QString());
    into.description = fields.text("description").value_or(QString());
    into.menuLabelHeight = fields.number("menu-label-height", false, 1, 2000).value_or(375);
    into.heading = fields.text("heading").value_or(QString());
    into.captionEnding = fields.text("caption-ending", QString());
    into.menuPictureFile = fields.text("picture", QString());
    if (!into.menuPictureFile.isEmpty())
        into.menuPicture = pictureFile(into.menuPictureFile, fields.at("picture"));
    const QString shape = fields.text("shape").value_or(QString());
    if (shape == u"suffix-drill") {
        into.shape = Shape::SuffixDrill;
        suffixDrill(fields, into.content.emplace<SuffixDrill>());
    } else if (shape == u"sentences") {
        into.shape = Shape::Sentences;
        sentences(fields, into.content.emplace<SentenceExercise>());
    } else if (shape == u"person-story" || shape == u"picture-story") {
        into.shape = shape == u"person-story" ? Shape::PersonStory : Shape::PictureStory;
        story(fields, into.content.emplace<Story>(), into.shape == Shape::PictureStory);
    } else if (!shape.isEmpty()) {
        report.problem(fields.at("shape"),
                       QStringLiteral("unknown shape \"%1\" (suffix-drill, sentences, person-story or picture-story)").arg(shape));
    }
}

void Reader::suffixDrill(YamlFields &fields, SuffixDrill &into)
{
    into.number = fields.text("number", QString());
    into.suffix = fields.text("suffix").value_or(QString());
    const std::optional<std::vector<YAML::Node>> items = fields.list("items");
    // An item out of shape is said once: the count of items is then no count to judge "basic" by.
    bool wellFormed = items.has_value();
    if (items) {
        QMap<QString, QString> answers;
        for (const YAML::Node &item : *items) {
            if (!item.IsSequence() || item.size() != 2) {
                report.problem(item.Mark(), QStringLiteral("an item is a pair: [word, answer]"));
                wellFormed = false;
                continue;
            }
            const std::optional<QString> cue = YamlFields::scalar(item[0], report, QStringLiteral("the word"));
            const std::optional<QString> answer = YamlFields::scalar(item[1], report, QStringLiteral("the answer"));
            if (!cue || !answer) {
                wellFormed = false;
                continue;
            }
            if (cue->trimmed().isEmpty() || answer->trimmed().isEmpty())
                report.problem(item[cue->trimmed().isEmpty() ? 0 : 1].Mark(),
                               QStringLiteral("an item has an empty word or answer"));
            // A word asked twice is one item of the record: it must have one answer.
            else if (answers.contains(*cue) && answers.value(*cue) != *answer)
                report.problem(item.Mark(), QStringLiteral("the word \"%1\" is given two answers").arg(*cue));
            answers.insert(*cue, *answer);
            into.items.push_back({*cue, *answer});
        }
    }
    into.basic = fields.number("basic", true, 1, 100000).value_or(0);
    if (wellFormed && into.basic > int(into.items.size()))
        report.problem(fields.at("basic"),
                       counted("LessonReader", QT_TRANSLATE_N_NOOP("LessonReader", "\"basic\" is %1, but the drill has only %n item"),
                               QT_TRANSLATE_N_NOOP("LessonReader", "\"basic\" is %1, but the drill has only %n items"),
                               int(into.items.size()))
                           .arg(into.basic));
}

void Reader::sentences(YamlFields &fields, SentenceExercise &into)
{
    into.headingFromOtherWindow = fields.text("heading-from-other-window", QString());
    if (const std::optional<QString> colour = fields.text("plus-answer-background", false)) {
        if (QColor::isValidColorName(*colour))
            into.plusAnswerBackground = QColor::fromString(*colour);
        else
            report.problem(fields.at("plus-answer-background"), QStringLiteral("\"%1\" is no colour").arg(*colour));
    }
    QSet<QString> sentences;
    if (const std::optional<std::vector<YAML::Node>> rows = fields.list("rows")) {
        for (const YAML::Node &node : *rows) {
            YamlFields row(node, report, QStringLiteral("a sentence"));
            SentenceRow sentence{row.text("before", QString()), row.text("cue", QString()),
                                 row.text("offer", QString()),  row.text("answer").value_or(QString()),
                                 row.text("after", QString()),  row.text("person", QString())};
            if (row.valid() && sentence.answer.trimmed().isEmpty())
                report.problem(row.at("answer"), QStringLiteral("a sentence has an empty answer"));
            if (!sentence.person.isEmpty() && !knownPictograms.contains(sentence.person))
                report.problem(row.at("person"), QStringLiteral("\"%1\" is no person of a pictogram (%2)")
                                                     .arg(sentence.person, knownPictograms.join(QStringLiteral(", "))));
            const QString whole = sentence.before + u' ' + sentence.answer + u' ' + sentence.after;
            if (sentences.contains(whole))
                report.problem(node.Mark(), QStringLiteral("the same sentence twice: \"%1\"").arg(whole.simplified()));
            sentences.insert(whole);
            into.rows.push_back(std::move(sentence));
        }
    }
    into.basic = fields.number("basic", true, 1, 100000).value_or(0);
    if (into.basic > int(into.rows.size()))
        report.problem(fields.at("basic"),
                       counted("LessonReader",
                               QT_TRANSLATE_N_NOOP("LessonReader", "\"basic\" is %1, but the exercise has only %n sentence"),
                               QT_TRANSLATE_N_NOOP("LessonReader", "\"basic\" is %1, but the exercise has only %n sentences"),
                               int(into.rows.size()))
                           .arg(into.basic));
}

void Reader::story(YamlFields &fields, Story &into, bool withPictures)
{
    persons(fields, into);
    into.howTo = fields.text("how-to", QString());
    into.personLabel = fields.text("person-label", QString());
    if (const std::optional<YAML::Node> node = fields.mapping("layout", false))
        into.layout = layout(*node);
    if (withPictures) {
        if (const std::optional<std::vector<YAML::Node>> pictures = fields.list("pictures")) {
            for (const YAML::Node &node : *pictures)
                into.pictures.push_back(picture(node, int(into.pictures.size())));
            if (into.pictures.size() < 2)
                report.problem(fields.at("pictures"), QStringLiteral("a picture story has at least 2 pictures"));
        }
    }
    const std::optional<QString> text = fields.text("text", false);
    const std::optional<std::vector<YAML::Node>> gapList = fields.list("gaps");
    const std::vector<YAML::Node> gaps = gapList.value_or(std::vector<YAML::Node>());
    if (gapList && gaps.empty())
        report.problem(fields.at("gaps"), QStringLiteral("a story has at least one gap"));
    for (const YAML::Node &node : gaps)
        into.gaps.push_back(gap(node, into, int(into.gaps.size()) + 1, text.has_value()));
    if (text)
        takeText(*text, fields, gaps, into);
    const std::optional<std::vector<YAML::Node>> pieces = fields.list("pieces", false);
    if (text && pieces) {
        report.problem(fields.at("pieces"), QStringLiteral("a story is told in its text or in pieces, not both"));
    } else if (pieces) {
        QSet<int> indexes;
        for (const YAML::Node &node : *pieces) {
            into.pieces.push_back(piece(node, into, int(into.pieces.size())));
            if (indexes.contains(into.pieces.back().index))
                report.problem(node.Mark(), QStringLiteral("a second piece %1").arg(into.pieces.back().index));
            indexes.insert(into.pieces.back().index);
        }
    }
    checkLayout(into, fields);
}

// Whom the story may be told of: each person named once, with an answer in every gap.
void Reader::persons(YamlFields &fields, Story &into)
{
    into.persons = fields.texts("persons").value_or(QStringList());
    if (fields.has("persons") && (into.persons.isEmpty() || into.persons.size() > MostPersons)) {
        report.problem(fields.at("persons"), QStringLiteral("a story has 1 to %1 persons, not %2")
                                                 .arg(MostPersons)
                                                 .arg(into.persons.size()));
    }
    QSet<QString> named;
    for (const QString &person : std::as_const(into.persons)) {
        if (person.trimmed().isEmpty())
            report.problem(fields.at("persons"), QStringLiteral("a person of the story has no name"));
        else if (named.contains(person))
            report.problem(fields.at("persons"), QStringLiteral("the person \"%1\" is named twice").arg(person));
        named.insert(person);
    }
}

std::optional<QColor> Reader::colour(YamlFields &fields, const char *key)
{
    const std::optional<QString> name = fields.text(key);
    if (!name)
        return std::nullopt;
    if (!QColor::isValidColorName(*name)) {
        report.problem(fields.at(key), QStringLiteral("\"%1\" is no colour").arg(*name));
        return std::nullopt;
    }
    return QColor::fromString(*name);
}

// An optional list of the lesson's, of at most `most` items.
std::vector<YAML::Node> Reader::lessonList(YamlFields &fields, const char *key, int most)
{
    std::vector<YAML::Node> list = fields.list(key, false).value_or(std::vector<YAML::Node>());
    if (list.size() > std::size_t(most))
        report.problem(fields.at(key), QStringLiteral("a lesson brings at most %1 %2").arg(most).arg(QLatin1String(key)));
    return list;
}

// A kind's gaps are typed in black on its open colour and locked in white on its
// solved one: both must read as well as the program asks of its own text.
void Reader::kinds(YamlFields &fields, std::vector<GapKind> &into)
{
    for (const YAML::Node &node : lessonList(fields, "kinds", MostKinds)) {
        YamlFields kind(node, report, QStringLiteral("a kind of gap"));
        if (!kind.valid())
            continue;
        const QString code = kind.text("kind").value_or(QString());
        if (knownKinds.contains(code))
            report.problem(kind.at("kind"), QStringLiteral("the kind \"%1\" is already known (%2)")
                                                .arg(code, knownKinds.join(QStringLiteral(", "))));
        const std::optional<QColor> open = colour(kind, "open");
        const std::optional<QColor> solved = colour(kind, "solved");
        const auto readable = [&](const std::optional<QColor> &ground, Bgr text, const char *key, const char *what) {
            if (!ground)
                return;
            const double ratio = Colour::contrast(text, Colour::fromQColor(*ground));
            if (ratio < Colour::ReadableContrast)
                report.problem(kind.at(key), QStringLiteral("%1 text on the colour %2 of kind \"%3\" has a contrast of "
                                                            "%4:1; it needs %5:1")
                                                 .arg(QLatin1String(what), ground->name(), code)
                                                 .arg(ratio, 0, 'f', 1)
                                                 .arg(Colour::ReadableContrast));
        };
        readable(open, Colour::Black, "open", "black");
        readable(solved, Colour::White, "solved", "white");
        knownKinds << code;
        into.push_back({code, open.value_or(QColor()), solved.value_or(QColor())});
    }
}

void Reader::pictograms(YamlFields &fields, std::vector<Pictogram> &into)
{
    QSet<QString> pictured;
    for (const YAML::Node &node : lessonList(fields, "pictograms", MostPictograms)) {
        YamlFields pictogram(node, report, QStringLiteral("a pictogram"));
        if (!pictogram.valid())
            continue;
        Pictogram result{pictogram.text("person").value_or(QString()), {}, {}};
        if (result.person.trimmed().isEmpty() || pictured.contains(result.person))
            report.problem(pictogram.at("person"),
                           QStringLiteral("a pictogram needs a person of its own, not \"%1\"").arg(result.person));
        pictured.insert(result.person);
        if (const std::optional<QString> file = pictogram.text("file")) {
            result.file = *file;
            result.picture = pictureFile(*file, pictogram.at("file"));
        }
        if (!knownPictograms.contains(result.person))
            knownPictograms << result.person;
        into.push_back(std::move(result));
    }
}

// A story told as running text, its gaps in brackets: its pieces, and the offers of
// the gaps of the list, one to one in story order.
void Reader::takeText(const QString &written, const YamlFields &fields, const std::vector<YAML::Node> &gapNodes,
                      Story &into)
{
    const StoryMarkup::Story text = StoryMarkup::parse(written);
    const BracketMarks markAt(source, fields.node()["text"], written);
    for (const StoryMarkup::Problem &problem : text.problems)
        report.problem(markAt(problem.at), problem.message);
    into.pieces = text.pieces;
    for (std::size_t n = 0; n < std::min(text.gaps.size(), into.gaps.size()); ++n)
        into.gaps[n].offer = text.gaps[n].offer;
    // A bracket out of place already miscounts the gaps: that problem is enough.
    if (!text.problems.empty() || text.gaps.size() == gapNodes.size())
        return;
    const QString counts = QStringLiteral("the text and the gap list differ in their number of gaps: %1 and %2")
                               .arg(text.gaps.size())
                               .arg(gapNodes.size());
    if (text.gaps.size() > gapNodes.size())
        report.problem(markAt(text.gaps[gapNodes.size()].at), counts);
    else
        report.problem(gapNodes[text.gaps.size()].Mark(), counts);
}

std::optional<StoryLayout> Reader::layout(const YAML::Node &node)
{
    YamlFields fields(node, report, QStringLiteral("the layout"));
    if (!fields.valid())
        return std::nullopt;
    StoryLayout result;
    if (const std::optional<std::vector<YAML::Node>> tops = fields.list("row-tops")) {
        for (const YAML::Node &top : *tops) {
            const std::optional<QString> text = YamlFields::scalar(top, report, QStringLiteral("a row's top"));
            bool ok = false;
            const int value = text ? text->toInt(&ok) : 0;
            if (text && (!ok || value < 0 || value > MostTwips))
                report.problem(top.Mark(), QStringLiteral("a row's top is a whole number of twips from 0 to %1").arg(MostTwips));
            result.rowTops.push_back(value);
        }
    }
    result.boxHeight = fields.number("box-height", false, 100, 2000).value_or(435);
    result.pieceDrop = fields.number("piece-drop", false, 0, 2000).value_or(0);
    result.gapFont = fields.text("gap-font").value_or(QString());
    result.pieceFont = fields.text("piece-font").value_or(QString());
    // Without them the heading and the person's box would sit at the corner, with no size.
    result.headingPlace = rect(fields, "heading-place", true).value_or(Rect());
    result.personPlace = rect(fields, "person-place", true).value_or(Rect());
    return result;
}

StoryGap Reader::gap(const YAML::Node &node, const Story &story, int number, bool toldInText)
{
    StoryGap result;
    YamlFields fields(node, report, QStringLiteral("gap %1").arg(number));
    if (!fields.valid())
        return result;
    result.kind = fields.text("kind").value_or(QString());
    if (!result.kind.isEmpty() && !knownKinds.contains(result.kind))
        report.problem(fields.at("kind"), QStringLiteral("gap %1: unknown kind \"%2\" (%3)")
                                              .arg(number)
                                              .arg(result.kind, knownKinds.join(QStringLiteral(", "))));
    if (toldInText && fields.has("offer"))
        report.problem(fields.at("offer"),
                       QStringLiteral("gap %1: a story told in text gives the offer in [ ]").arg(number));
    if (toldInText && fields.has("place"))
        report.problem(fields.at("place"), QStringLiteral("gap %1: a story told in text is laid out by the program, "
                                                          "give no place").arg(number));
    result.offer = fields.text("offer", QString());
    result.answers = fields.texts("answers").value_or(QStringList());
    if (fields.has("answers") && !story.persons.isEmpty() && result.answers.size() != story.persons.size())
        report.problem(fields.at("answers"),
                       counted("LessonReader",
                               QT_TRANSLATE_N_NOOP("LessonReader", "gap %1 needs %n answer, for the one person of the story, not %2"),
                               QT_TRANSLATE_N_NOOP("LessonReader", "gap %1 needs %n answers, one for each person of the story, not %2"),
                               int(story.persons.size()))
                           .arg(number)
                           .arg(result.answers.size()));
    for (qsizetype i = 0; i < result.answers.size(); ++i) {
        if (result.answers[i].trimmed().isEmpty())
            report.problem(fields.node()["answers"][std::size_t(i)].Mark(), QStringLiteral("gap %1 has an empty answer").arg(number));
    }
    if (const std::optional<YAML::Node> also = fields.mapping("also-right", false)) {
        YamlFields persons(*also, report, QStringLiteral("\"also-right\" of gap %1").arg(number));
        for (const QString &person : story.persons)
            if (const std::optional<QStringList> answers = persons.texts(person.toUtf8().constData(), false))
                result.alsoRight.insert(person, *answers);
    }
    result.offerAtStart = perPerson(fields, "offer-at-start", story);
    result.place = place(fields, "place");
    if (const std::optional<int> picture = fields.number("picture", false, 0, 1000)) {
        result.picture = *picture;
        if (!story.pictures.empty() && *picture >= int(story.pictures.size()))
            report.problem(fields.at("picture"),
                           counted("LessonReader",
                                   QT_TRANSLATE_N_NOOP("LessonReader", "gap %1 shows picture %2, but the story has only %n picture, numbered from 0"),
                                   QT_TRANSLATE_N_NOOP("LessonReader", "gap %1 shows picture %2, but the story has only %n pictures, numbered from 0"),
                                   int(story.pictures.size()))
                               .arg(number)
                               .arg(*picture));
    } else if (!story.pictures.empty()) {
        report.problem(node.Mark(), QStringLiteral("gap %1 of a picture story names no picture").arg(number));
    }
    return result;
}

StoryPiece Reader::piece(const YAML::Node &node, const Story &story, int number)
{
    StoryPiece result;
    YamlFields fields(node, report, QStringLiteral("a piece"));
    if (!fields.valid())
        return result;
    result.index = fields.number("index", false, 0, 1000).value_or(number);
    result.text = fields.text("text").value_or(QString());
    result.textAtStart = perPerson(fields, "text-at-start", story);
    result.place = place(fields, "place");
    result.points = fields.real("points", false, 4, 72).value_or(12);
    const QString align = fields.text("align", QStringLiteral("centre"));
    if (align != u"left" && align != u"centre")
        report.problem(fields.at("align"), QStringLiteral("a piece is aligned left or centre, not \"%1\"").arg(align));
    result.alignLeft = align == u"left";
    result.font = fields.text("font", QString());
    // Without places, the list is the story's order: each piece comes before the gap of its position.
    result.gapsBefore = std::min(number, int(story.gaps.size()));
    return result;
}

QMap<QString, QString> Reader::perPerson(YamlFields &fields, const char *key, const Story &story)
{
    QMap<QString, QString> result;
    const std::optional<YAML::Node> node = fields.mapping(key, false);
    if (!node)
        return result;
    YamlFields persons(*node, report, QStringLiteral("\"%1\"").arg(QLatin1String(key)));
    for (const QString &person : story.persons)
        if (const std::optional<QString> text = persons.text(person.toUtf8().constData(), false))
            result.insert(person, *text);
    return result;
}

std::optional<std::vector<int>> Reader::numbers(YamlFields &fields, const char *key, int count, bool required)
{
    const std::optional<std::vector<YAML::Node>> items = fields.list(key, required);
    if (!items)
        return std::nullopt;
    std::vector<int> values;
    for (const YAML::Node &item : *items) {
        bool ok = item.IsScalar();
        const int value = ok ? QString::fromStdString(item.Scalar()).toInt(&ok) : 0;
        if (!ok || value < 0 || value > MostTwips)
            break;
        values.push_back(value);
    }
    if (int(values.size()) != count || int(items->size()) != count) {
        report.problem(fields.at(key), QStringLiteral("\"%1\" is a list of %2 whole numbers from 0 to %3")
                                           .arg(QLatin1String(key))
                                           .arg(count)
                                           .arg(MostTwips));
        return std::nullopt;
    }
    return values;
}

std::optional<Place> Reader::place(YamlFields &fields, const char *key)
{
    const std::optional<std::vector<int>> values = numbers(fields, key, 3);
    if (!values)
        return std::nullopt;
    return Place{(*values)[0], (*values)[1], (*values)[2]};
}

std::optional<Rect> Reader::rect(YamlFields &fields, const char *key, bool required)
{
    const std::optional<std::vector<int>> values = numbers(fields, key, 4, required);
    if (!values)
        return std::nullopt;
    return Rect{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
}

StoryPicture Reader::picture(const YAML::Node &node, int number)
{
    StoryPicture result;
    YamlFields fields(node, report, QStringLiteral("picture %1").arg(number));
    if (!fields.valid())
        return result;
    result.file = fields.text("file").value_or(QString());
    result.scene = fields.text("scene").value_or(QString());
    if (!result.file.isEmpty())
        result.picture = pictureFile(result.file, fields.at("file"));
    return result;
}

QByteArray Reader::pictureFile(const QString &name, const YAML::Mark &at)
{
    // A lesson travels as its folder: a picture outside it would be left behind.
    if (QFileInfo(name).isAbsolute()) {
        report.problem(at, QStringLiteral("the picture %1 is named relative to the lesson file, not from /").arg(name));
        return {};
    }
    QByteArray bytes;
    QString problem = readPicture(folder, name, bytes);
    if (problem.isEmpty())
        problem = pictureContentProblem(name, bytes);
    if (!problem.isEmpty()) {
        report.problem(at, problem);
        return {};
    }
    return bytes;
}

// A story places every gap and piece in the rows of its layout, inside the window,
// or places nothing and gives no layout: the window then lays it out as running text.
void Reader::checkLayout(const Story &story, const YamlFields &fields)
{
    const YAML::Mark at = fields.node().Mark();
    const auto placed = [](const auto &part) { return part.place.has_value(); };
    const auto placedParts = std::count_if(story.gaps.begin(), story.gaps.end(), placed) +
                             std::count_if(story.pieces.begin(), story.pieces.end(), placed);
    if (placedParts > 0 && std::size_t(placedParts) < story.gaps.size() + story.pieces.size()) {
        report.problem(at, QStringLiteral("give a place for every gap and piece, or for none"));
        return;
    }
    if (placedParts == 0) {
        if (story.layout)
            report.problem(fields.at("layout"), QStringLiteral("a layout needs a place for every gap and piece; "
                                                               "leave it out to have the story laid out as running text"));
        return;
    }
    if (!story.layout) {
        report.problem(at, QStringLiteral("a story that places its gaps and pieces gives its layout"));
        return;
    }
    const auto fits = [&story](const Place &place) {
        return place.row >= 0 && place.row < int(story.layout->rowTops.size()) && place.left + place.width <= WindowWidth;
    };
    for (std::size_t i = 0; i < story.gaps.size(); ++i) {
        if (!fits(*story.gaps[i].place))
            report.problem(at, QStringLiteral("gap %1 is placed outside the rows or the window").arg(i + 1));
    }
    for (const StoryPiece &piece : story.pieces) {
        if (!fits(*piece.place))
            report.problem(at, QStringLiteral("piece %1 is placed outside the rows or the window").arg(piece.index));
    }
}

} // namespace

namespace LessonReader {

Reading read(const QByteArray &bytes, const QString &name, const QString &folder, LessonSpelling *spelling)
{
    Reading reading;
    if (bytes.size() > MostBytes) {
        reading.problems.push_back({name, 1, 1, QStringLiteral("the file is larger than %1 MB").arg(MostBytes / (1024 * 1024))});
        return reading;
    }
    // A byte order mark is no part of the text, and editors give it no column.
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    YamlReport report(name);
    std::optional<LessonModel::Lesson> lesson;
    if (YamlPrecheck::check(text, report)) {
        try {
            const YAML::Node root = YAML::Load(text.toStdString());
            lesson = Reader(report, folder, text).lesson(root);
            if (spelling)
                spelling->check(root, text, report);
        } catch (const YAML::Exception &error) {
            report.problem(error.mark, QString::fromStdString(error.msg));
        }
    }
    reading.problems = report.problems(text);
    if (!report.hasProblems())
        reading.lesson = std::move(lesson);
#ifdef __GLIBC__
    // The tree is gone; its many small blocks go back to the system instead of
    // staying with the program for as long as it plays the lesson.
    malloc_trim(0);
#endif
    return reading;
}

Reading read(const QString &path, LessonSpelling *spelling)
{
    // Read no more than can be a lesson, so that a huge file costs no memory.
    QByteArray bytes;
    if (const QString problem = readRegularFile(path, MostBytes, bytes); !problem.isEmpty())
        return {std::nullopt, {{path, 1, 1, QStringLiteral("the file %1").arg(problem)}}};
    return read(bytes, path, QFileInfo(path).absolutePath(), spelling);
}

} // namespace LessonReader
