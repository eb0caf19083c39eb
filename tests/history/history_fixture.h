#pragma once

#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "history_store.h"
#include "reading_run.h"
#include "recording_drill_speech.h"
#include "run_settings.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

// Runs straight into a store on the calling thread.
struct StoreHistory : RunHistory {
    explicit StoreHistory(HistoryStore& into)
        : store(into)
    {
    }
    void record(const RunRecord& run) override { recorded += store.record(run); }
    HistoryStore& store;
    int recorded = 0;
};

struct FixedRunSettings : RunSettings {
    QString voiceName() const override { return QStringLiteral("female"); }
    QString paceName() const override { return QStringLiteral("normal"); }
};

// A reading run with the window, dialogs and files faked, and a clock that moves only when
// the test says: `ms` is the steady time, the time of day follows it.
struct FakeDrill : DrillView, Clock, DrillFileReader, FileChooser, ErrorReporter {
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString& caption) override { count = caption; }
    bool isCountVisible() const override { return countVisible; }
    void setCountVisible(bool visible) override { countVisible = visible; }
    void setTimeCaption(const QString&) override { }
    void setRateCaption(const QString& caption) override { rate = caption; }
    QString rateCaption() const override { return rate; }
    QTime timeOfDay() const override { return QTime(9, 0).addSecs(int(ms / 1000)); }
    qint64 steadyMs() const override { return ms; }
    QDateTime localDateTime() const override
    {
        return QDateTime(QDate(2026, 12, 8), timeOfDay(), Qt::OffsetFromUTC, 9 * 3600);
    }
    DrillFileContents read(const QString& path, int maxLines) override
    {
        return { files.value(path).mid(0, maxLines), {} };
    }
    QString chooseFileToOpen(const QString&) override { return answer; }
    void reportError(const QString&, const QString&) override { }

    // Opens `path` holding the given lines.
    void open(const QString& path, const QStringList& lines)
    {
        files[path] = lines;
        answer = path;
        run.Open();
    }
    // F Start, D Repeat, S Back, R Reset; a number lets that many milliseconds pass first.
    void type(const QString& keys)
    {
        for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
            bool isNumber = false;
            const int wait = key.toInt(&isNumber);
            if (isNumber)
                ms += wait;
            else if (key == u'F')
                run.Start();
            else if (key == u'D')
                run.Repeat();
            else if (key == u'S')
                run.Back();
            else if (key == u'R')
                run.Reset();
        }
    }

    qint64 ms = 0;
    QString display, count, rate, answer;
    bool countVisible = true;
    QHash<QString, QStringList> files;
    RecordingDrillSpeech speech;
    ReadingRun run { *this, speech, *this, *this, *this, *this };
};

// One value from the store's file, read through a connection of the test's own.
inline QVariant queryValue(const QString& path, const QString& sql)
{
    QVariant value;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        if (query.exec(sql) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return value;
}

inline RunRecord sampleRun(const QString& path, int lines, int rate)
{
    RunRecord run;
    run.path = path;
    for (int n = 1; n <= lines; ++n)
        run.drillLines.append(QStringLiteral("line %1").arg(n));
    run.startedAt = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::OffsetFromUTC, 3600);
    run.finishedAt = run.startedAt.addSecs(60);
    run.elapsedMs = 60000;
    run.lines = lines;
    run.rate = rate;
    run.voice = QStringLiteral("male");
    run.pace = QStringLiteral("normal");
    for (int n = 1; n <= lines; ++n)
        run.lineTimes.append({ n, 1000 + n, n % 3, n % 2 });
    return run;
}
