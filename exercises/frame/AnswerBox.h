#pragma once

#include <QLineEdit>

// A box the learner types an answer into. Keys of an English keyboard give the
// Hungarian letters; Enter is handed to the window (which clicks its default
// button); on focus the caret goes to the end of the text. A paste brings in only
// what the box has room for, cut between characters.
class AnswerBox final : public QLineEdit
{
    Q_OBJECT

public:
    explicit AnswerBox(QWidget *parent = nullptr);

    // Inserts at the caret (over the selection) as much of the text as the box has room for.
    void insertFitting(const QString &text);

signals:
    void enterPressed();
    void gotFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
