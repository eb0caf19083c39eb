#include "progress_windows.h"

#include "history_recorder.h"
#include "history_store.h"
#include "progress_window.h"
#include "reading_run.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

ProgressWindows::ProgressWindows(const QString& historyPath, ProgressDialogs& dialogs)
    : m_path(historyPath)
    , m_dialogs(dialogs)
{
}

ProgressWindows::~ProgressWindows()
{
    delete m_window;
}

void ProgressWindows::attach(QWidget& drillWindow, ReadingRun& run)
{
    m_drillWindow = &drillWindow;
    m_run = &run;
}

void ProgressWindows::showProgress()
{
    if (!m_run)
        return;
    if (!m_store && !m_path.isEmpty()) {
        // The program's writer has checked the whole file when the window came up.
        m_store = std::make_unique<HistoryStore>(
            m_path, HistoryStore::DefaultBusyTimeoutMs, HistoryStore::Checking::Light);
        m_store->open();
    }
    if (!m_window) {
        m_window = new ProgressWindow(m_store.get(),
            QStringLiteral("No history is kept: Kelvaro was started with --no-history."), *m_run,
            m_dialogs, m_drillWindow);
        QObject::connect(m_window, &ProgressWindow::practiceStarted, m_window, [this] {
            m_window->close();
            if (m_drillWindow)
                m_drillWindow->activateWindow();
        });
        // Most of a screen from 1024x768 up, leaving the drill's window visible around it.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            m_window->resize(area.width() * 4 / 5, area.height() * 4 / 5);
            m_window->move(area.center() - m_window->rect().center());
        }
    }
    const QString open = m_run->state().FileName;
    m_window->showDrill(open.isEmpty() ? QString() : HistoryRecorder::canonicalPath(open));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

ProgressWindow* ProgressWindows::window() const
{
    return m_window;
}
