#pragma once

#include "common/ProgressRecord.h"

#include <QString>

#include <optional>

// What a run model tells the record: the run it has open, and each answer judged in it,
// complete where it is made (lesson, exercise, item, run), so that the record keeps no
// "current" lesson or run to fill in. Its model ends a run still open when the window
// goes (left) or the program ends (interrupted); the record outlives neither.
class RunRecorder
{
public:
    explicit RunRecorder(ProgressRecord &record) : record(record) {}
    RunRecorder(const RunRecorder &) = delete;
    RunRecorder &operator=(const RunRecorder &) = delete;

    // A run of the lesson's exercise begins; one still open is left.
    void begin(const QString &lesson, const QString &exercise, ProgressRecord::Variant variant, const QString &person = {});
    void end(ProgressRecord::Outcome outcome);
    bool recording() const { return run.has_value(); }

    // An answer to an item of the exercise the last run was begun for, in that run while it is open.
    void answer(const QString &item, const QString &expected, const QString &given, bool right, bool solutionShown,
                bool retry);

private:
    ProgressRecord &record;
    QString lesson;
    QString exercise;
    std::optional<qint64> run;
};
