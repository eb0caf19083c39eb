#pragma once

#include "editor_launcher.h"

#include <memory>

struct GioFunctions;

// Starts the desktop's graphical text editor: the default application for plain text where
// that is a graphical one, otherwise the first well-known editor installed.
class DesktopEditorLauncher : public EditorLauncher {
public:
    DesktopEditorLauncher();
    ~DesktopEditorLauncher() override;
    bool startEditor() override;

private:
    bool startDefaultEditor();

    // GIO, which knows the desktop's choice, is loaded the first time an editor is asked for.
    std::unique_ptr<const GioFunctions> m_gio;
    bool m_gioLoaded = false;
};
