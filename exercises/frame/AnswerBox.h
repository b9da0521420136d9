#pragma once

#include <QLineEdit>

// A box the learner types an answer into. Keys of an English keyboard give the
// Hungarian letters; Enter is handed to the window (which clicks its default
// button); on focus the caret goes to the end of the text.
class AnswerBox final : public QLineEdit
{
    Q_OBJECT

public:
    explicit AnswerBox(QWidget *parent = nullptr);

signals:
    void enterPressed();
    void gotFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
