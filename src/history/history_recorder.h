#pragma once

#include "run_events.h"
#include "run_record.h"

#include <QHash>

class RunSettings;

// Listens to the drill's events, sums the time each line stays on screen with its repeats and
// backs, and hands every finished run to the history with the voice and pace it was spoken
// with. A run abandoned before its end leaves nothing.
class HistoryRecorder : public RunEvents {
public:
    HistoryRecorder(RunHistory& history, const RunSettings& settings);

    void lineShown(int lineNumber, LineShowing how, qint64 atMs) override;
    void runFinished(const FinishedRun& run, qint64 atMs) override;
    void runAbandoned() override;

    // The drill file's canonical path, as the history keys its drills.
    static QString canonicalPath(const QString& fileName);

private:
    void closeShowing(qint64 atMs);

    RunHistory& m_history;
    const RunSettings& m_settings;
    QHash<int, LineTime> m_lines; // by the run's line number
    int m_onScreen = 0; // the run's line on screen, 0 for none
    qint64 m_shownAt = 0;
};
