#pragma once

#include "../drill/fake_drill.h"
#include "history_store.h"
#include "run_settings.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

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

// The rows of a query, the values of each joined by spaces, read through a connection of the
// test's own; queryValue gives the first.
inline QStringList queryRows(const QString& path, const QString& sql)
{
    QStringList rows;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(sql);
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values.append(query.value(i).toString());
            rows.append(values.join(u' '));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return rows;
}
inline QString queryValue(const QString& path, const QString& sql)
{
    return queryRows(path, sql).value(0);
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
