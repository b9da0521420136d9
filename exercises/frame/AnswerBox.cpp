#include "AnswerBox.h"

#include "common/HungarianText.h"
#include "common/Module1.h"

#include <QKeyEvent>
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

void AnswerBox::keyPressEvent(QKeyEvent *event)
{
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

void AnswerBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    deselect();
    setCursorPosition(int(text().size()));
    emit gotFocus();
}
