#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while the program connects to
// the display and builds its window. Read on the window's thread, it would come between those
// and the first frame's text; the first font the window asks for needs it.
class FontConfigPreload {
public:
    FontConfigPreload();

    // Returns once the configuration is read; call it before the first font is used, so that
    // Qt does not read the configuration a second time alongside.
    void wait();

private:
    std::jthread m_reader; // joined when destroyed, if not waited for before
};
