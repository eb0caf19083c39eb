#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// The time one line of a run stayed on screen, summed over every showing, and how often the
// learner repeated it or went back to it. Line numbers are the drill file's.
struct LineTime {
    int lineNumber = 0;
    qint64 shownMs = 0;
    int repeats = 0;
    int backs = 0;
    friend bool operator==(const LineTime&, const LineTime&) = default;
};

// One finished run as it is kept.
struct RunRecord {
    QString path; // the drill file's canonical path
    QStringList drillLines; // every line of the drill version the run came from
    QDateTime startedAt;
    QDateTime finishedAt;
    qint64 elapsedMs = 0;
    int lines = 0;
    int rate = 0;
    QString voice;
    QString pace;
    bool practice = false;
    QList<LineTime> lineTimes;
};

// Where finished runs go.
class RunHistory {
public:
    virtual ~RunHistory() = default;
    virtual void record(const RunRecord& run) = 0;
};
