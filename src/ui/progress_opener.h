#pragma once

// Opens the Progress window over the drill's window.
class ProgressOpener {
public:
    virtual ~ProgressOpener() = default;
    virtual void showProgress() = 0;
};
