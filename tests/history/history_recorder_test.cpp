#include "history_fixture.h"
#include "history_recorder.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Every line time of the file's runs, oldest run first: "run:line shown_ms repeats backs".
QStringList lineTimes(const QString& file)
{
    QStringList result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"times"_s);
        db.setDatabaseName(file);
        db.open();
        QSqlQuery query(u"SELECT run_id, line_number, shown_ms, repeats, backs FROM line_times "
                        "ORDER BY run_id, line_number"_s,
            db);
        while (query.next())
            result.append(u"%1:%2 %3 %4 %5"_s.arg(query.value(0).toString(),
                query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                query.value(4).toString()));
    }
    QSqlDatabase::removeDatabase(u"times"_s);
    return result;
}

} // namespace

// The drill's own events, under a clock the test moves, recorded in a real SQLite file and
// read back.
class HistoryRecorderTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // A folder of its own for each test.
        folderOwner.emplace();
        QVERIFY(folder().isValid());
        file = folder().filePath(u"history.sqlite"_s);
    }

    // Repeats, backs and a line shown twice: its times on screen add up; the run's row holds
    // the time, count and rate exactly as the finished screen shows them.
    void aFinishedRunIsKeptWithTheTimeOfEachLine()
    {
        HistoryStore store(file);
        QCOMPARE(store.open(), HistoryStore::State::Writable);
        StoreHistory history(store);
        FixedRunSettings settings;
        HistoryRecorder recorder(history, settings);
        FakeDrill drill;
        drill.run.setEvents(&recorder);
        drill.open(folder().filePath(u"drill.txt"_s), { u"one"_s, u"two"_s, u"three"_s });

        drill.type(u"F 1000 D 500 F 2000 S 700 F 300 F 1500 D 3000 F"_s);

        QCOMPARE(drill.rate, u"20 words/min"_s);
        QVERIFY(!drill.countVisible);
        QCOMPARE(history.recorded, 1);
        QCOMPARE(lineTimes(file),
            QStringList({ u"1:1 2200 1 1"_s, u"1:2 2300 0 0"_s, u"1:3 4500 1 0"_s }));
        const QList<RunRow> runs = store.runs(folder().filePath(u"drill.txt"_s));
        QCOMPARE(runs.size(), 1);
        QCOMPARE(runs[0].elapsedMs, 9000);
        QCOMPARE(runs[0].lines, 3);
        QCOMPARE(runs[0].rate, 20);
        QCOMPARE(runs[0].voice, u"female"_s);
        QCOMPARE(runs[0].pace, u"normal"_s);
        QVERIFY(!runs[0].practice);
        QCOMPARE(runs[0].startedAtText, u"2026-12-08T09:00:00+09:00"_s);
        QCOMPARE(runs[0].finishedAtText, u"2026-12-08T09:00:09+09:00"_s);
        QCOMPARE(queryValue(file, u"SELECT title FROM drills"_s).toString(), u"one"_s);
        // The rate is spoken and waited for as before.
        QVERIFY(drill.speech.log.join(u'|').endsWith(u"say 20 words/min|wait"_s));
    }

    // Reset part-way, another file opened part-way, and a finish in the same second as the
    // start (no rate) keep nothing; the runs after them start their line times afresh.
    void onlyRunsThatReachTheirEndAreKept()
    {
        HistoryStore store(file);
        QCOMPARE(store.open(), HistoryStore::State::Writable);
        StoreHistory history(store);
        FixedRunSettings settings;
        HistoryRecorder recorder(history, settings);
        FakeDrill drill;
        drill.run.setEvents(&recorder);
        drill.open(folder().filePath(u"a.txt"_s), { u"a1"_s, u"a2"_s });
        drill.type(u"F 5000 F 5000 R"_s);
        drill.open(folder().filePath(u"b.txt"_s), { u"b1"_s });
        drill.type(u"F 100 F"_s); // the same second: no rate, not finished
        QCOMPARE(history.recorded, 0);
        drill.type(u"2000 F"_s);
        QCOMPARE(history.recorded, 1);
        QCOMPARE(lineTimes(file), QStringList({ u"1:1 2100 0 0"_s }));
        drill.type(u"F R F 3000 F"_s); // the notice, then a reset and a whole run
        QCOMPARE(history.recorded, 2);
        QCOMPARE(lineTimes(file), QStringList({ u"1:1 2100 0 0"_s, u"2:1 3000 0 0"_s }));
    }

    // A practice run of lines 3 and 1: its count starts at 2, R starts it over, and it is kept
    // as a practice run of the same drill with the drill's line numbers.
    void aPracticeRunIsKeptUnderTheDrillsLineNumbers()
    {
        HistoryStore store(file);
        QCOMPARE(store.open(), HistoryStore::State::Writable);
        StoreHistory history(store);
        FixedRunSettings settings;
        HistoryRecorder recorder(history, settings);
        FakeDrill drill;
        drill.run.setEvents(&recorder);
        const QString path = folder().filePath(u"drill.txt"_s);
        const QStringList lines { u"one"_s, u"two"_s, u"three"_s };
        drill.open(path, lines);
        drill.type(u"F 1000 F"_s);
        drill.run.practise({ path, lines, { 3, 1 } });
        QCOMPARE(drill.count, u"count 2"_s);
        drill.type(u"F 1000 R"_s);
        QCOMPARE(drill.count, u"count 2"_s);
        drill.type(u"F 4000 F 2000 F"_s);
        QCOMPARE(drill.display, QString());
        QCOMPARE(drill.rate, u"20 words/min"_s);
        QCOMPARE(history.recorded, 1);
        QCOMPARE(lineTimes(file), QStringList({ u"1:1 2000 0 0"_s, u"1:3 4000 0 0"_s }));
        const QList<RunRow> runs = store.runs(path);
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs[0].practice);
        QCOMPARE(runs[0].lines, 2);
        // The practice run belongs to the same drill as the whole file's runs.
        drill.type(u"R F F F F 3000 F"_s);
        QCOMPARE(store.drills().size(), 1);
        QCOMPARE(store.runs(path).size(), 2);
    }

private:
    QTemporaryDir& folder() { return *folderOwner; }
    std::optional<QTemporaryDir> folderOwner;
    QString file;
};

QTEST_GUILESS_MAIN(HistoryRecorderTest)
#include "history_recorder_test.moc"
