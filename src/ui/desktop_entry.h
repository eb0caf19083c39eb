#pragma once

#include <QStringList>

// The command a desktop entry (a .desktop file) starts, as a program and its arguments with
// the file and URL placeholders dropped. Empty when the entry is not a graphical application
// that can be started this way (hidden, runs in a terminal, has no Exec line).
QStringList desktopEntryCommand(const QString& contents);
