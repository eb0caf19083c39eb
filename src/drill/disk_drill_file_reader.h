#pragma once

#include "drill_file_reader.h"

#include <QtGlobal>

// Reads drill files from disk. Only regular files are read: a directory, FIFO, socket or
// device is refused before any read, so choosing one can never hang the program.
class DiskDrillFileReader : public DrillFileReader {
public:
    // Drill files are small; a larger file is refused rather than read into memory.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    DrillFileContents read(const QString& path, int maxLines) override;
};
