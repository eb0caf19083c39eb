#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while the program connects to
// the display, and then Qt's list of installed fonts while it builds its window. Read on the
// window's thread, both would come between those and the first frame's text; the first font
// the window asks for needs them, and waits inside Qt for a list still being read.
class FontConfigPreload {
public:
    FontConfigPreload();

    // Call once the QGuiApplication exists, which Qt's font list needs: once the configuration
    // is read, lists the fonts on a thread of its own.
    void listFonts();

private:
    std::jthread m_reader; // joined when replaced or destroyed
};
