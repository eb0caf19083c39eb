#pragma once

#include <QtGlobal>

class ProgressOpener;
class QString;
class QWidget;
class ReadingRun;

// The Progress window is a module of its own, loaded the first time it is asked for, so that
// Qt Charts and the OpenGL libraries it brings are not loaded before every first frame. The
// module takes the program's drill, history and window code from the program itself.

// The module's one entry point: Progress windows over the drill's window, reading the history
// file at the given path (none: the history is off). The program owns what it returns.
extern "C" Q_DECL_EXPORT ProgressOpener* kelvaroProgressWindows(
    const QString& historyPath, QWidget& drillWindow, ReadingRun& run);

inline constexpr char ProgressModuleEntry[] = "kelvaroProgressWindows";
inline constexpr char ProgressModuleName[] = "kelvaro-progress.so";
