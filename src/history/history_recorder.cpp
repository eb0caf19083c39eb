#include "history_recorder.h"

#include "run_settings.h"

#include <QFileInfo>

#include <algorithm>

HistoryRecorder::HistoryRecorder(RunHistory& history, const RunSettings& settings)
    : m_history(history)
    , m_settings(settings)
{
}

QString HistoryRecorder::canonicalPath(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    // A file gone since it was read is still the same drill.
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void HistoryRecorder::closeShowing(qint64 atMs)
{
    if (m_onScreen != 0)
        m_lines[m_onScreen].shownMs += std::max<qint64>(0, atMs - m_shownAt);
}

void HistoryRecorder::lineShown(int lineNumber, LineShowing how, qint64 atMs)
{
    closeShowing(atMs);
    LineTime& line = m_lines[lineNumber];
    line.lineNumber = lineNumber;
    if (how == LineShowing::Repeat)
        ++line.repeats;
    else if (how == LineShowing::Back)
        ++line.backs;
    m_onScreen = lineNumber;
    m_shownAt = atMs;
}

void HistoryRecorder::runFinished(const FinishedRun& run, qint64 atMs)
{
    closeShowing(atMs);
    RunRecord record;
    record.path = canonicalPath(run.fileName);
    record.drillLines = run.drillLines;
    record.startedAt = run.startedAt;
    record.finishedAt = run.finishedAt;
    record.elapsedMs = run.elapsedMs;
    record.lines = run.lines;
    record.rate = run.rate;
    record.voice = m_settings.voiceName();
    record.pace = m_settings.paceName();
    record.practice = run.practice();
    QList<int> numbers = m_lines.keys();
    std::sort(numbers.begin(), numbers.end());
    for (const int number : std::as_const(numbers)) {
        LineTime line = m_lines.value(number);
        // A practice run's lines are kept under their numbers in the drill file.
        if (record.practice)
            line.lineNumber = run.practiceLineNumbers.value(number - 1, number);
        record.lineTimes.append(line);
    }
    runAbandoned();
    m_history.record(record);
}

void HistoryRecorder::runAbandoned()
{
    m_lines.clear();
    m_onScreen = 0;
    m_shownAt = 0;
}
