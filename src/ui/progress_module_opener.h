#pragma once

#include "progress_opener.h"

#include <QString>

#include <memory>

class QWidget;
class ReadingRun;

// Opens the Progress window through its module, which is loaded the first time the window is
// asked for. A module that cannot be loaded is reported by an exception that names it and why.
class ProgressModuleOpener : public ProgressOpener {
public:
    ProgressModuleOpener(const QString& modulePath, const QString& historyPath);
    ~ProgressModuleOpener() override;

    // The drill window over which the Progress window opens, and whose run it can start.
    void attach(QWidget& drillWindow, ReadingRun& run);
    void showProgress() override;

    // Where an installed program finds the module: beside itself, or in its library folder.
    static QString installedModulePath();

private:
    QString m_modulePath;
    QString m_historyPath;
    QWidget* m_drillWindow = nullptr;
    ReadingRun* m_run = nullptr;
    std::unique_ptr<ProgressOpener> m_windows;
};
