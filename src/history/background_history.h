#pragma once

#include "history_store.h"
#include "run_record.h"

#include <QObject>
#include <QThread>

#include <memory>

// Keeps runs in the history file on a thread of its own, so that the window's thread only
// hands a run over. The file is opened there, when asked or with the first run.
class BackgroundHistory : public RunHistory {
public:
    explicit BackgroundHistory(const QString& path);
    ~BackgroundHistory() override;

    // Opens the file in the background, reporting any problem with it at once.
    void openSoon();
    void record(const RunRecord& run) override;
    // Waits until every run handed over has been written, or the time is up.
    bool flush(int timeoutMs);

private:
    QString m_path;
    QThread m_thread;
    std::unique_ptr<QObject> m_worker; // lives on m_thread
    std::unique_ptr<HistoryStore> m_store; // used on m_thread only
    void ensureOpen();
};
