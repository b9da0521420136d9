#pragma once

// What the frame's buttons show of a run, as its model decides: Start (or Restart)
// and whether it can be pressed, Next and Solution, and whether Enter in an answer box
// judges (it clicks Next while Next can be pressed and is the window's default button).
struct FrameState
{
    bool startEnabled = true;
    bool restart = false; // "&Restart" in place of "&Start"
    bool nextEnabled = false;
    bool solutionEnabled = false;
    bool enterJudges = true; // Next is the default button
};
