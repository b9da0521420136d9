#pragma once

#include <QByteArray>
#include <QColor>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>
#include <vector>

// A lesson as its file gives it: plain values, no widgets. The windows play an
// exercise by its shape; what every lesson of a shape shares (controls, fonts,
// messages, colours of the gap kinds) stays with the window.
namespace LessonModel {

// Twips, as the windows are designed: 15 to a logical pixel.
struct Place
{
    int row = 0;
    int left = 0;
    int width = 0;
    friend bool operator==(const Place &, const Place &) = default;
};

struct Rect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect &, const Rect &) = default;
};

// Suffix drill: a word is shown, the learner types it with its suffix.
struct WordItem
{
    QString cue;
    QString answer;
    friend bool operator==(const WordItem &, const WordItem &) = default;
};

struct SuffixDrill
{
    QString number; // shown before the heading: "1a."
    QString suffix; // the suffix label: "-nál/-nél"
    int basic = 0;  // the basic run asks the first `basic` items; Plus asks them all
    std::vector<WordItem> items;
    friend bool operator==(const SuffixDrill &, const SuffixDrill &) = default;
};

// The persons the program's own pictograms stand for, in the order of the pictures.
inline const QStringList Pictograms{QStringLiteral("én"), QStringLiteral("te"), QStringLiteral("Ön"),
                                    QStringLiteral("mi"), QStringLiteral("ti"), QStringLiteral("Önök")};

// A person's pictogram that the lesson brings itself: one of another person ("ő"),
// or its own picture of one of the program's persons.
struct Pictogram
{
    QString person;
    QString file;       // relative to the lesson file
    QByteArray picture; // the file's bytes: an SVG, PNG or JPEG picture
    friend bool operator==(const Pictogram &, const Pictogram &) = default;
};

// A kind of story gap that the lesson brings, with its colours: the pale one of an
// open gap (black text) and the strong one of a solved gap (white text).
struct GapKind
{
    QString code;
    QColor open;
    QColor solved;
    friend bool operator==(const GapKind &, const GapKind &) = default;
};

// Sentence exercise: a sentence with one gap; the learner types the suffix or verb form.
struct SentenceRow
{
    QString before;
    QString cue;   // shown above the gap
    QString offer; // put into the gap
    QString answer;
    QString after;
    QString person; // the pictogram of the subject ("én" ... "Önök"), or empty
    friend bool operator==(const SentenceRow &, const SentenceRow &) = default;
};

struct SentenceExercise
{
    // The heading when another exercise window's go-to button opens it, where it differs.
    QString headingFromOtherWindow;
    int basic = 0;
    std::vector<SentenceRow> rows;
    // The answer box's background in a Plus run, where it changes.
    std::optional<QColor> plusAnswerBackground;
    friend bool operator==(const SentenceExercise &, const SentenceExercise &) = default;
};

// Story: pieces of fixed text and gaps, told about one of the persons it names.
struct StoryGap
{
    QString kind;  // "al" a verb agreeing with the subject, "h" a place or time phrase, "t" an object
    QString offer; // put into the gap; empty: the learner writes the whole word
    QStringList answers; // one per person
    QMap<QString, QStringList> alsoRight; // per person: other answers taken exactly as typed
    QMap<QString, QString> offerAtStart;  // per person: the offer an unsolved gap takes at Start
    std::optional<Place> place;           // none: laid out with the text
    int picture = -1;                     // the picture story's picture of the gap's sentence
    friend bool operator==(const StoryGap &, const StoryGap &) = default;
};

struct StoryPiece
{
    int index = 0; // its control's number, Text2(index)
    QString text;
    QMap<QString, QString> textAtStart; // per person: the text it takes at Start
    std::optional<Place> place;
    double points = 12;
    bool alignLeft = false;
    QString font; // the story's piece font unless given
    // Laid out by the program: how many gaps come before it in the story. The
    // reader lists pieces in story order, so this never falls from one to the next.
    int gapsBefore = 0;
    friend bool operator==(const StoryPiece &, const StoryPiece &) = default;
};

struct StoryPicture
{
    QString file;  // relative to the lesson file
    QString scene;      // what it shows, for a screen reader
    QByteArray picture; // the file's bytes: an SVG, PNG or JPEG picture
    friend bool operator==(const StoryPicture &, const StoryPicture &) = default;
};

struct StoryLayout
{
    std::vector<int> rowTops;
    int boxHeight = 435;
    int pieceDrop = 0;
    QString gapFont;
    QString pieceFont;
    Rect headingPlace;
    Rect personPlace;
    friend bool operator==(const StoryLayout &, const StoryLayout &) = default;
};

struct Story
{
    QStringList persons; // one to eight, as the lesson names them: "Anna", "én", "te"
    QString howTo;       // the first paragraph of How to, where the lesson words it
    QString personLabel; // beside the picture story's person field, and its name for a screen reader
    std::optional<StoryLayout> layout; // none: the window lays the story out as running text
    std::vector<StoryGap> gaps;
    std::vector<StoryPiece> pieces;
    std::vector<StoryPicture> pictures; // a picture story's; none for a person story
    friend bool operator==(const Story &, const Story &) = default;
};

enum class Shape { SuffixDrill, Sentences, PersonStory, PictureStory };

struct Exercise
{
    QString id;          // recorded with every answer: "1a"
    QString caption;     // go-to and menu caption, & before its access key: "1&a"
    QString description; // beside its menu button
    int menuLabelHeight = 375;
    QString heading;
    QString captionEnding; // after the lesson's title in the window's caption: ": 1/a.."
    QString menuPictureFile; // relative to the lesson file; empty: the program's own picture
    QByteArray menuPicture;  // the file's bytes: the SVG, PNG or JPEG picture on its menu button
    Shape shape = Shape::SuffixDrill;
    std::variant<SuffixDrill, SentenceExercise, Story> content;
    friend bool operator==(const Exercise &, const Exercise &) = default;
};

struct Lesson
{
    QString id;
    QString title; // in every caption: "7. lecke"
    int number = 0;
    QString language;
    int version = 1;
    QStringList authors;
    QString licence;
    QStringList words;                 // its own words, which the spelling takes as right
    std::vector<Pictogram> pictograms; // beside or instead of the program's own
    std::vector<GapKind> kinds;        // beside the program's al, h and t
    std::vector<Exercise> exercises;
    friend bool operator==(const Lesson &, const Lesson &) = default;
};

} // namespace LessonModel
