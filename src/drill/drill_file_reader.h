#pragma once

#include <QString>
#include <QStringList>

struct DrillFileContents {
    QStringList lines;
    QString error; // why the file could not be read; empty on success

    bool ok() const { return error.isEmpty(); }
};

// Reads a drill file as its lines, without their line ends.
class DrillFileReader {
public:
    virtual ~DrillFileReader() = default;
    // Reads at most maxLines lines; the rest of the file is ignored.
    virtual DrillFileContents read(const QString& path, int maxLines) = 0;
};
