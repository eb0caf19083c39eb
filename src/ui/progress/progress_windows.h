#pragma once

#include "progress_opener.h"

#include <QPointer>
#include <QString>

#include <memory>

class HistoryStore;
class ProgressDialogs;
class ProgressWindow;
class QWidget;
class ReadingRun;

// Opens the Progress window for the drill on display, reading the history file through a
// connection of the window's thread that is opened the first time the window is asked for.
// With no path (the history is off) the window says so.
class ProgressWindows : public ProgressOpener {
public:
    ProgressWindows(const QString& historyPath, ProgressDialogs& dialogs);
    ~ProgressWindows() override;

    // The drill window over which the Progress window opens, and whose run it can start.
    void attach(QWidget& drillWindow, ReadingRun& run);
    void showProgress() override;
    ProgressWindow* window() const;

private:
    QString m_path;
    ProgressDialogs& m_dialogs;
    QWidget* m_drillWindow = nullptr;
    ReadingRun* m_run = nullptr;
    std::unique_ptr<HistoryStore> m_store;
    QPointer<ProgressWindow> m_window;
};
