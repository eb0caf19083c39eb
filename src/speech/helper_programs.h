#pragma once

#include <QString>

// Where one of Kelvaro's own helper programs is: beside the running program in a build
// folder, or in the installed libexec folder relative to it.
QString helperProgramPath(QStringView name);
