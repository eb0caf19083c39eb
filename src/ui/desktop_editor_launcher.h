#pragma once

#include "editor_launcher.h"

// Starts the desktop's graphical text editor: the default application for plain text where
// that is a graphical one, otherwise the first well-known editor installed.
class DesktopEditorLauncher : public EditorLauncher {
public:
    bool startEditor() override;
};
