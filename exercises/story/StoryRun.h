#pragma once

#include "lesson/Lesson.h"

#include <QString>

#include <optional>
#include <vector>

// One run of a story, without widgets: the person it tells of, which gaps are
// solved, the gap in hand, and per gap what the record keeps of it (a wrong try
// made, Solution shown). The window shows it and hands it what the learner does.
class StoryRun
{
public:
    // What Start does: the first Start of an opening and Restart after an accomplished
    // run begin a run (Restart opens every gap again); Start during a run goes on with it.
    enum class Start { Begins, Restarts, GoesOn };
    // An answer to the gap in hand: right, wrong, or a gap solved before (nothing judged).
    enum class Judged { Right, Wrong, SolvedBefore };

    // A new opening of the story: its first person, every gap open, no run yet.
    void load(const LessonModel::Story &story);
    void choosePerson(const QString &name);
    int person() const { return personNo; }
    QString personName() const;
    // How the record names a gap of a person's story: "gap 3 (Laci)", counted from 1.
    static QString itemKey(int gap, const QString &person)
    {
        return QStringLiteral("gap %1 (%2)").arg(gap + 1).arg(person);
    }

    Start start();
    bool running() const { return begun && !done; }
    bool accomplished() const { return done; }

    void aim(int gap) { gapNo = gap; }
    int aimed() const { return gapNo; }
    // The answer the gap takes for the person chosen.
    QString expected(int gap) const;
    // Judges what the gap in hand holds; a right answer solves it, and the last one
    // accomplishes the run.
    Judged judge(const QString &typed);
    void showSolution();

    int gapCount() const { return int(solvedGaps.size()); }
    int solvedCount() const { return solved; }
    bool isSolved(int gap) const { return solvedGaps.at(std::size_t(gap)); }
    bool wrongTried(int gap) const { return wrong.at(std::size_t(gap)); }
    bool solutionSeen(int gap) const { return shown.at(std::size_t(gap)); }
    // The next open gap after the one in hand, round from the last to the first.
    std::optional<int> nextOpen() const;

private:
    const LessonModel::Story *story = nullptr;
    int personNo = 0;
    int gapNo = 0;
    int solved = 0;
    bool begun = false;
    bool done = false;
    std::vector<bool> solvedGaps;
    std::vector<bool> wrong;
    std::vector<bool> shown;
};
