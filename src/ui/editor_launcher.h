#pragma once

// Starts the desktop's text editor so the learner can write or change a drill file.
class EditorLauncher {
public:
    virtual ~EditorLauncher() = default;
    // Returns at once, without waiting for the editor; false when no editor could be started.
    virtual bool startEditor() = 0;
};
