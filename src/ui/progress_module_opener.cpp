#include "progress_module_opener.h"

#include "progress_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <stdexcept>

ProgressModuleOpener::ProgressModuleOpener(const QString& modulePath, const QString& historyPath)
    : m_modulePath(modulePath)
    , m_historyPath(historyPath)
{
}

// The windows are the module's own; the module stays loaded as long as the program runs.
ProgressModuleOpener::~ProgressModuleOpener() = default;

void ProgressModuleOpener::attach(QWidget& drillWindow, ReadingRun& run)
{
    m_drillWindow = &drillWindow;
    m_run = &run;
}

void ProgressModuleOpener::showProgress()
{
    if (!m_run)
        return;
    if (!m_windows) {
        QLibrary module(m_modulePath);
        // Every symbol at once: one the program lacks fails here, not halfway through a click.
        module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        const auto create = reinterpret_cast<decltype(&kelvaroProgressWindows)>(
            module.resolve(ProgressModuleEntry));
        if (!create) {
            throw std::runtime_error(QStringLiteral("The Progress window could not be loaded: %1")
                                         .arg(module.errorString())
                                         .toStdString());
        }
        m_windows.reset(create(m_historyPath, *m_drillWindow, *m_run));
    }
    m_windows->showProgress();
}

QString ProgressModuleOpener::installedModulePath()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(QString::fromLatin1(ProgressModuleName));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(programDir.filePath(QStringLiteral(KELVARO_MODULE_FROM_BINARY)) + u'/'
        + QString::fromLatin1(ProgressModuleName));
}
