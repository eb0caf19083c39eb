#pragma once

#include <QString>
#include <QStringList>

// Where Kelvaro's own helper programs are looked for, in this order: beside the running
// program (a build folder), then in the installed libexec folder relative to it. Needs a
// QCoreApplication.
QStringList helperProgramPlaces(QStringView name);
// The first place that holds the helper, or the last place looked in.
QString helperProgramPath(QStringView name);
// For a helper that was not found at that path: every place it was looked for.
QString placesLookedFor(const QString& path);
