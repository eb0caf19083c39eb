#include "background_history.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QSemaphore>

BackgroundHistory::BackgroundHistory(const QString& path)
    : m_path(path)
    , m_worker(std::make_unique<QObject>())
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

BackgroundHistory::~BackgroundHistory()
{
    flush(5000);
    // The store's connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(
        m_worker.get(), [this] { m_store.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void BackgroundHistory::ensureOpen()
{
    if (!m_store) {
        m_store = std::make_unique<HistoryStore>(m_path);
        m_store->open();
    }
}

void BackgroundHistory::openSoon()
{
    QMetaObject::invokeMethod(m_worker.get(), [this] { ensureOpen(); });
}

void BackgroundHistory::record(const RunRecord& run)
{
    QMetaObject::invokeMethod(m_worker.get(), [this, run] {
        ensureOpen();
        m_store->record(run);
    });
}

bool BackgroundHistory::flush(int timeoutMs)
{
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(m_worker.get(), [done] { done->release(); });
    return done->tryAcquire(1, timeoutMs);
}
