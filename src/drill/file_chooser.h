#pragma once

#include <QString>

// Asks the learner for a file to open.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // Returns the chosen path, or an empty string when the learner cancels.
    virtual QString chooseFileToOpen(const QString& filter) = 0;
};
