#pragma once

#include <deque>
#include <functional>

// The learner's commands (keys, menu items, a dropped file), one at a time. A command that
// waits for speech handles events meanwhile; a command asked for then runs once the one before
// has finished, in the order asked, so no command ever runs inside another.
class CommandQueue {
public:
    // Whether a command is running, possibly waiting with events handled.
    bool isRunning() const { return m_running; }
    // Runs the command now, or after the running one and those already waiting.
    void run(std::function<void()> command);

private:
    bool m_running = false;
    std::deque<std::function<void()>> m_waiting;
};
