#pragma once

#include <QDateTime>
#include <QList>
#include <QStringList>

// How a line came on screen.
enum class LineShowing { Step, Repeat, Back };

// A run that reached its end, as the finished screen shows it.
struct FinishedRun {
    QString fileName;
    // The lines of the drill the run came from, in file order: every line, also for a
    // practice run of a few of them.
    QStringList drillLines;
    // For a practice run, the drill's line number of each practice line; empty otherwise.
    QList<int> practiceLineNumbers;
    int lines = 0; // lines in the run
    qint64 elapsedMs = 0; // as the time caption measures it, whole seconds
    int rate = 0; // as the rate caption shows it
    QDateTime startedAt;
    QDateTime finishedAt;
    bool practice() const { return !practiceLineNumbers.isEmpty(); }
};

// What happens in a run, for whoever keeps its history. Times are the clock's steady
// milliseconds. Line numbers are those of the run (1 = its first line).
class RunEvents {
public:
    virtual ~RunEvents() = default;
    virtual void lineShown(int lineNumber, LineShowing how, qint64 atMs) = 0;
    virtual void runFinished(const FinishedRun& run, qint64 atMs) = 0;
    // The run stopped before its end (Reset, another file, a practice run): nothing is kept.
    virtual void runAbandoned() = 0;
};
