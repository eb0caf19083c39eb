#include "progress_module.h"

#include "dialog_progress_dialogs.h"
#include "progress_windows.h"

namespace {

// The module's Progress windows, with the platform's dialogs they ask through.
class ModuleProgressWindows : public ProgressOpener {
public:
    ModuleProgressWindows(const QString& historyPath, QWidget& drillWindow, ReadingRun& run)
        : m_windows(historyPath, m_dialogs)
    {
        m_windows.attach(drillWindow, run);
    }
    void showProgress() override { m_windows.showProgress(); }

private:
    DialogProgressDialogs m_dialogs;
    ProgressWindows m_windows;
};

} // namespace

ProgressOpener* kelvaroProgressWindows(
    const QString& historyPath, QWidget& drillWindow, ReadingRun& run)
{
    return new ModuleProgressWindows(historyPath, drillWindow, run);
}
