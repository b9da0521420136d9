#include "AnswerBox.h"

#include "common/HungarianText.h"
#include "common/Module1.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>

namespace {

// Brings whatever reaches the box (typed, pasted, composed) to the letters the
// lessons use and control characters to blanks, so that what the learner sees is
// what is judged.
class HungarianLetters final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        const QString letters = HungarianText::asAnswer(input);
        if (letters != input) {
            pos = int(std::max<qsizetype>(0, pos - (input.size() - letters.size())));
            input = letters;
        }
        return Acceptable;
    }
};

} // namespace

AnswerBox::AnswerBox(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new HungarianLetters(this));
}

void AnswerBox::insertFitting(const QString &text)
{
    if (isReadOnly())
        return;
    // The line edit would take a long paste in whole before cutting it, which
    // takes the better part of a second per megabyte; cut it here instead.
    const qsizetype room = maxLength() - (this->text().size() - selectedText().size());
    QString fitting = text.left(std::max<qsizetype>(0, room));
    if (!fitting.isEmpty() && fitting.back().isHighSurrogate())
        fitting.chop(1);
    insert(fitting);
}

void AnswerBox::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        insertFitting(QGuiApplication::clipboard()->text());
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        char16_t key = typed.at(0).unicode();
        Module1::ConvertKey(key);
        if (key != typed.at(0).unicode()) {
            QKeyEvent translated(event->type(), Qt::Key_unknown, event->modifiers(), QString(QChar(key)),
                                 event->isAutoRepeat(), ushort(event->count()));
            QLineEdit::keyPressEvent(&translated);
            event->setAccepted(translated.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void AnswerBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
        paste->disconnect();
        connect(paste, &QAction::triggered, this, [this] { insertFitting(QGuiApplication::clipboard()->text()); });
    }
    menu->popup(event->globalPos());
}

void AnswerBox::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection where the desktop has one.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && rect().contains(event->position().toPoint())) {
        event->accept();
        deselect();
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        insertFitting(clipboard->text(QClipboard::Selection));
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void AnswerBox::dropEvent(QDropEvent *event)
{
    // A drag within the box moves its own text, which always fits.
    if (event->mimeData()->hasText() && !isReadOnly() && event->source() != this) {
        event->acceptProposedAction();
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        insertFitting(event->mimeData()->text());
        setFocus();
        return;
    }
    QLineEdit::dropEvent(event);
}

void AnswerBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    deselect();
    setCursorPosition(int(text().size()));
    emit gotFocus();
}
