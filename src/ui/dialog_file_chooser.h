#pragma once

#include "file_chooser.h"

// The platform's open-file dialog.
class DialogFileChooser : public FileChooser {
public:
    QString chooseFileToOpen(const QString& filter) override;
};
