#include "Colour.h"

#include "Settings.h"

#include <QAbstractButton>
#include <QHash>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <optional>

namespace {

// The colours each control was given as designed, kept apart from the control: the palette
// is painted from them in the mode of the moment, and nothing is read back from a widget.
struct Designed
{
    std::optional<Bgr> back;
    std::optional<Bgr> fore;
};

QHash<const QWidget *, Designed> &designed()
{
    static QHash<const QWidget *, Designed> colours;
    return colours;
}

Designed &designedOf(QWidget *control)
{
    QHash<const QWidget *, Designed> &colours = designed();
    if (!colours.contains(control))
        QObject::connect(control, &QObject::destroyed, [control] { designed().remove(control); });
    return colours[control];
}

Designed designedOf(const QWidget *control)
{
    return designed().value(control);
}

bool isTextEntry(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QAbstractScrollArea *>(control);
}

} // namespace

namespace Colour {

namespace {

bool clearMode = false;

// The same hue, darker by a tenth.
Bgr darker(Bgr bgr)
{
    const auto scaled = [bgr](int shift) { return quint32(((bgr >> shift) & 0xFF) * 9 / 10) << shift; };
    return scaled(0) | scaled(8) | scaled(16);
}

QPalette::ColorRole backRole(const QWidget *control)
{
    if (isTextEntry(control))
        return QPalette::Base;
    return qobject_cast<const QAbstractButton *>(control) ? QPalette::Button : QPalette::Window;
}

QPalette::ColorRole foreRole(const QWidget *control)
{
    if (isTextEntry(control))
        return QPalette::Text;
    return qobject_cast<const QAbstractButton *>(control) ? QPalette::ButtonText : QPalette::WindowText;
}

// Puts the control's colours, designed or made readable, on its palette. A colour
// the program did not set is taken from the palette the control inherits. A label
// gets a filled background when its back colour is set, and keeps what it has after.
void applyColours(QWidget *control, bool settingBack = false)
{
    const auto [back, fore] = designedOf(static_cast<const QWidget *>(control));
    if (!back && !fore)
        return;
    // What is not set comes from the parent, not from this palette, which an
    // earlier mode may have changed.
    const QPalette inherited =
        control->parentWidget() ? control->parentWidget()->palette() : QApplication::palette(control);
    const Bgr designedBack = back ? *back : fromQColor(inherited.color(backRole(control)));
    const Bgr designedFore = fore ? *fore : fromQColor(inherited.color(foreRole(control)));
    const Bgr paintFore = Colour::paintedText(designedFore, designedBack);
    // The palette is made anew from the roles the control holds as its own, the text
    // role left out: a control without a text colour of its own holds it only while
    // the mode paints a different one. Once the mode is off it inherits its text again
    // (a dark desktop's light text, say) instead of keeping the readable one.
    const QPalette current = control->palette();
    QPalette palette; // no role of its own yet
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            if (r != foreRole(control) && current.isBrushSet(g, r))
                palette.setBrush(g, r, current.brush(g, r));
        }
    }
    if (back) {
        palette.setColor(backRole(control), Colour::toQColor(designedBack));
        if (settingBack && backRole(control) == QPalette::Window)
            control->setAutoFillBackground(true);
    }
    if (fore || paintFore != designedFore)
        palette.setColor(foreRole(control), Colour::toQColor(paintFore));
    control->setPalette(palette);
}

// Parents before their children: a control's inherited colours are its parent's
// as they are now, so that every window looks as freshly built in the mode.
void applyColoursDown(QWidget *control)
{
    applyColours(control);
    for (QObject *child : control->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child))
            applyColoursDown(widget);
    }
}

} // namespace

void setBackColor(QWidget *control, Bgr bgr)
{
    designedOf(control).back = bgr;
    applyColours(control, true);
}

void setForeColor(QWidget *control, Bgr bgr)
{
    designedOf(control).fore = bgr;
    applyColours(control);
}

void setClearColours(bool on)
{
    clearMode = on;
}

bool clearColours()
{
    return clearMode;
}

Bgr paintedText(Bgr fore, Bgr back)
{
    if (!clearMode)
        return fore;
    // The ground (a gap's kind, a window's colour) always stays as designed, so no
    // control stands out as a patch; only the text changes.
    if (contrast(fore, back) >= ReadableContrast)
        return fore;
    // Dark text on a light ground: a darker shade of its own hue.
    if (luminance(fore) <= luminance(back)) {
        while (contrast(fore, back) < ReadableContrast && fore != Black)
            fore = darker(fore);
        if (contrast(fore, back) >= ReadableContrast)
            return fore;
    }
    // Light text, or a ground too dark for dark text: black or white, whichever reads.
    return contrast(Black, back) >= contrast(White, back) ? Black : White;
}

void repaintAll()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        applyColoursDown(window);
}

Bgr backColor(const QWidget *control) { return designedOf(control).back.value_or(0); }
Bgr foreColor(const QWidget *control) { return designedOf(control).fore.value_or(0); }

} // namespace Colour

void LoadClearColours()
{
    Colour::setClearColours(programSettings().value(QStringLiteral("clearColours"), false).toBool());
}

void SetClearColours(bool on)
{
    Colour::setClearColours(on);
    Colour::repaintAll();
    programSettings().setValue(QStringLiteral("clearColours"), on);
}
