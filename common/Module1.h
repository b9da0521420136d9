#pragma once

#include "Colour.h"

#include <QMap>
#include <QString>

#include <optional>
#include <utility>

class QLineEdit;
class QWidget;

// The values every window shares for the whole run of the program, and the
// routines that work on them. The program object owns the one instance.
class Module1
{
public:
    // The exercise the window being opened is to run (1-4 drills 1a-2, 5 exercise 3,
    // 6 and 7 exercises 4 and 5); 0 until a menu or go-to button sets it.
    int ExerciseNo = 0;
    // 0 until the About window has been closed once: tells its splash mode from its normal mode.
    int AboutSeen = 0;
    const QString NewLine = QStringLiteral("\r\n");
    QString Title;
    QString MsgWrong;
    QString MsgDone;
    QString MsgSolution;

    // Colour table: an edit (pale) and a lock (strong) colour per kind of gap,
    // as "&HBBGGRR" literals.
    QString ColourEditA, ColourLockA;
    QString ColourEditAl, ColourLockAl;
    QString ColourEditT, ColourLockT;
    QString ColourEditH, ColourLockH;
    // The kinds of gap the lesson played brings, beside the table's: edit and lock colour by code.
    QMap<QString, std::pair<Bgr, Bgr>> LessonKinds;

    // Resets Title to the bare program name, so a window's suffix never accumulates.
    void SetMessages();
    // SetMessages, then the lesson and the window's own ending appended to Title,
    // which becomes the window's caption.
    void SetLessonTitle(QWidget *window, const QString &lesson, const QString &ending = {});
    void SetColours();

    // The colour-table entry of a kind of gap: its lock (strong) or edit (pale)
    // colour; nothing for a kind the table does not have.
    std::optional<Bgr> KindColour(const QString &kind, bool locked) const;

    // Locks an editable box (white text on the kind's lock colour) or unlocks a
    // locked one (black 12-point text on the kind's edit colour). An unknown kind
    // toggles the state but leaves the back colour.
    void ToggleBox(QLineEdit *box, const QString &kind) const;

    // Turns the English-keyboard keys of the key-help line into Hungarian letters.
    static void ConvertKey(char16_t &key);
    // Shrinks every run of blanks in the control's text to one blank.
    static void CollapseSpaces(QWidget *control);
    // Caption or text by the first letter of the control's name (L, C, F caption;
    // T text), colours for every control whose name does not start with C.
    static void SetCaption(QWidget *control, const QString &text, Bgr back, Bgr fore);
};
