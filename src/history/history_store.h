#pragma once

#include "run_record.h"

#include <QDateTime>
#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>

// A drill as the history knows it: its path and the title of its latest version.
struct DrillSummary {
    QString path;
    QString title;
    int runs = 0;
};

// A kept run, for the Progress window and the CSV export.
struct RunRow {
    qint64 id = 0;
    QDateTime finishedAt;
    QString startedAtText; // as stored, with its UTC offset
    QString finishedAtText;
    qint64 elapsedMs = 0;
    int lines = 0;
    int rate = 0;
    QString voice;
    QString pace;
    bool practice = false;
};

// A line and how hard it was over the last runs.
struct HardLine {
    int lineNumber = 0;
    QString text;
    double msPerCharacter = 0;
    int repeats = 0;
    int backs = 0;
};

// A line time of a kept run with the line's text, for the CSV export.
struct LineTimeRow {
    qint64 runId = 0;
    LineTime time;
    QString text;
};

// The SQLite file that keeps every finished run. One store is one connection and belongs to
// the thread that opened it. A file that is not a Kelvaro database, or is damaged, is moved
// aside and a new one started; a database of a newer Kelvaro is read but never written; a
// folder that cannot be written leaves the store unavailable, saying why.
class HistoryStore {
public:
    enum class State { Closed, Writable, ReadOnly, Unavailable };
    // The schema version this program writes: the number of the last migration.
    static int latestVersion();
    // $XDG_DATA_HOME/kelvaro/history.sqlite, or where the platform keeps application data.
    static QString defaultPath();

    // How long a write waits for another process's write before it is tried again.
    static constexpr int DefaultBusyTimeoutMs = 5000;

    // Thorough: the whole file is checked on opening (a damaged one is moved aside); Light
    // leaves that to the program's writer, which opens the file first, so that a reader on
    // the window's thread does not read every page.
    enum class Checking { Thorough, Light };

    explicit HistoryStore(const QString& path, int busyTimeoutMs = DefaultBusyTimeoutMs,
        Checking checking = Checking::Thorough);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, moving a broken one aside and bringing the schema up to date. A problem
    // is reported once, through the history's logging category.
    State open();
    State state() const { return m_state; }
    // Why the store cannot be written, or cannot be read at all; empty when writable.
    QString problem() const { return m_problem; }
    // Where a broken file was moved; empty if none was.
    QString movedAsideTo() const { return m_movedAsideTo; }

    // Keeps one run in one transaction, waiting and retrying while another process writes.
    bool record(const RunRecord& run);

    QList<DrillSummary> drills() const;
    // Newest first.
    QList<RunRow> runs(const QString& path) const;
    // The lines with the longest time on screen per character over the last runs of the
    // drill's latest version, longest first.
    QList<HardLine> hardLines(const QString& path, int lastRuns = 5, int limit = 10) const;
    // Every line of the drill's latest version.
    QStringList drillLines(const QString& path) const;
    QList<LineTimeRow> lineTimes(const QString& path) const;
    bool forgetDrill(const QString& path);

private:
    bool openConnection();
    void close();
    enum class Check { Usable, Broken, Unusable };
    // Checks the file and reads its schema version; a broken file is to be moved aside.
    Check checkFile(int& version, QString& why);
    bool migrate(int from);
    bool moveAside(const QString& why);
    void becomeUnavailable(const QString& why);
    qint64 drillVersion(const QString& path) const;
    // No error when the run was kept.
    QSqlError writeRun(const RunRecord& run);

    QString m_path;
    int m_busyTimeoutMs;
    Checking m_checking;
    QString m_connection;
    State m_state = State::Closed;
    QString m_problem;
    QString m_movedAsideTo;
};
