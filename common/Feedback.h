#pragma once

#include <QString>

class QWidget;

// Every message box and the beep go through here, so tests can record them.
class Feedback
{
public:
    // Message-box styles: a single OK button with this icon.
    enum Style { Exclamation = 48, Information = 64 };

    virtual ~Feedback() = default;
    virtual void message(QWidget *parent, const QString &text, Style style, const QString &title) = 0;
    virtual void beep() = 0;
    // A question with Yes and No, No the default; true for Yes.
    virtual bool confirm(QWidget *parent, const QString &text, const QString &title) = 0;
    // The file to save to, chosen by the learner; empty when they cancel.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                                 const QString &filter) = 0;
    // An existing file to open, chosen by the learner; empty when they cancel.
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                                 const QString &filter) = 0;
    // A password typed by the learner, not shown as typed; empty when they cancel.
    virtual QString password(QWidget *parent, const QString &title, const QString &question) = 0;
    // Changes not saved yet, as desktop editors ask: save them, discard them, or go on editing.
    enum class Unsaved { Save, Discard, Cancel };
    virtual Unsaved unsavedChanges(QWidget *parent, const QString &text, const QString &title) = 0;
};

// The real thing: a modal QMessageBox and the system beep.
class MessageBoxFeedback final : public Feedback
{
public:
    void message(QWidget *parent, const QString &text, Style style, const QString &title) override;
    void beep() override;
    bool confirm(QWidget *parent, const QString &text, const QString &title) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &suggested,
                         const QString &filter) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &folder,
                         const QString &filter) override;
    QString password(QWidget *parent, const QString &title, const QString &question) override;
    Unsaved unsavedChanges(QWidget *parent, const QString &text, const QString &title) override;
};
