#pragma once

#include "drill_file_reader.h"

#include <QtGlobal>

// Reads drill files from disk. Only regular files are read: a directory, FIFO, socket or
// device is refused before any read, so choosing one can never hang the program.
class DiskDrillFileReader : public DrillFileReader {
public:
    // 3001 lines of drill text take a few hundred KiB; a file larger than this generous
    // margin is refused rather than read into memory with the window waiting.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    DrillFileContents read(const QString& path, int maxLines) override;
};
