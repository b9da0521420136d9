#include "Module1.h"

#include "HungarianText.h"

#include <QAbstractButton>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <array>
#include <utility>

void Module1::SetMessages()
{
    MsgWrong = QStringLiteral("Sorry, it's wrong. Try again. Pay attention to the spelling too.");
    Title = QStringLiteral("  Bimbala!");
    MsgDone = QStringLiteral(
        "This exercise has been accomplished. If you want to restart it, click on the \"Restart\" button.");
    MsgSolution = QStringLiteral("The correct solution is:");
}

void Module1::SetLessonTitle(QWidget *window, const QString &lesson, const QString &ending)
{
    SetMessages();
    Title += QStringLiteral("   ---   ") + lesson + ending;
    window->setWindowTitle(Title);
}

void Module1::SetColours()
{
    ColourEditA = QStringLiteral("&Hcceecc");
    ColourLockA = QStringLiteral("&H00aa00");
    ColourEditAl = QStringLiteral("&Hbbc0ff");
    ColourLockAl = QStringLiteral("&H0000ff");
    ColourEditT = QStringLiteral("&Hc0eeff");
    ColourLockT = QStringLiteral("&H10BBFF");
    ColourEditH = QStringLiteral("&Hbbccdd");
    ColourLockH = QStringLiteral("&H7799cc");
}

std::optional<Bgr> Module1::KindColour(const QString &kind, bool locked) const
{
    const std::array<std::pair<QString, std::pair<const QString *, const QString *>>, 4> kinds{{
        {QStringLiteral("a"), {&ColourEditA, &ColourLockA}},
        {QStringLiteral("al"), {&ColourEditAl, &ColourLockAl}},
        {QStringLiteral("t"), {&ColourEditT, &ColourLockT}},
        {QStringLiteral("h"), {&ColourEditH, &ColourLockH}},
    }};
    for (const auto &[code, colours] : kinds) {
        if (code == kind)
            return Colour::fromLiteral(locked ? *colours.second : *colours.first);
    }
    if (const auto lessonKind = LessonKinds.constFind(kind); lessonKind != LessonKinds.cend())
        return locked ? lessonKind->second : lessonKind->first;
    return std::nullopt;
}

void Module1::ToggleBox(QLineEdit *box, const QString &kind) const
{
    const bool locking = !box->isReadOnly();
    if (locking) {
        Colour::setForeColor(box, Colour::White);
        box->setReadOnly(true);
    } else {
        Colour::setForeColor(box, Colour::Black);
        box->setReadOnly(false);
        QFont font = box->font();
        font.setPointSizeF(12);
        box->setFont(font);
    }
    if (const std::optional<Bgr> colour = KindColour(kind, locking))
        Colour::setBackColor(box, *colour);
}

void Module1::ConvertKey(char16_t &key)
{
    static constexpr std::array<std::pair<char16_t, char16_t>, 18> table{{
        {u'\'', u'á'}, {u';', u'é'}, {u'`', u'í'}, {u'\\', u'ű'}, {u'[', u'ő'}, {u'-', u'ü'},
        {u'0', u'ö'}, {u']', u'ú'}, {u'=', u'ó'}, {u'"', u'Á'}, {u':', u'É'}, {u'~', u'Í'},
        {u'|', u'Ű'}, {u'{', u'Ő'}, {u'_', u'Ü'}, {u')', u'Ö'}, {u'}', u'Ú'}, {u'+', u'Ó'},
    }};
    for (const auto &[typed, letter] : table) {
        if (key == typed) {
            key = letter;
            return;
        }
    }
}

namespace {

// The text-like property of a control, whatever kind of control it is.
QString textOf(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return plain->toPlainText();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *group = qobject_cast<const QGroupBox *>(control))
        return group->title();
    return {};
}

void setTextOf(QWidget *control, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(control))
        plain->setPlainText(text);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(text);
    else if (auto *group = qobject_cast<QGroupBox *>(control))
        group->setTitle(text);
}

} // namespace

void Module1::CollapseSpaces(QWidget *control)
{
    const QString text = textOf(control);
    const QString collapsed = HungarianText::collapseBlanks(text);
    if (collapsed != text)
        setTextOf(control, collapsed);
}

void Module1::SetCaption(QWidget *control, const QString &text, Bgr back, Bgr fore)
{
    const QString name = control->objectName();
    const QChar first = name.isEmpty() ? QChar() : name.front();
    if (first == u'L' || first == u'C' || first == u'F' || first == u'T')
        setTextOf(control, text);
    if (first != u'C') {
        Colour::setBackColor(control, back);
        Colour::setForeColor(control, fore);
    }
}
