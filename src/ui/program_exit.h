#pragma once

// Ends the program at once, as the learner asked: no confirmation and no clean-up.
class ProgramExit {
public:
    virtual ~ProgramExit() = default;
    virtual void exitNow() = 0;
};
