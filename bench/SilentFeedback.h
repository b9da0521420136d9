#pragma once

#include "common/Feedback.h"

// Message boxes and beeps that cost nothing, so a benchmark times the program's own work.
class SilentFeedback final : public Feedback
{
public:
    void message(QWidget *, const QString &, Style, const QString &) override {}
    void beep() override {}
    bool confirm(QWidget *, const QString &, const QString &) override { return false; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString password(QWidget *, const QString &, const QString &) override { return {}; }
    Unsaved unsavedChanges(QWidget *, const QString &, const QString &) override { return Unsaved::Discard; }
};
