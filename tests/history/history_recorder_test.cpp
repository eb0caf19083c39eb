#include "history_fixture.h"
#include "history_recorder.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

// A drill whose runs are recorded into a real SQLite file.
struct RecordedDrill {
    explicit RecordedDrill(const QString& path)
        : file(path)
    {
        store.open();
        drill.run.setEvents(&recorder);
    }
    // Every line time, oldest run first: "run:line shown_ms repeats backs".
    QStringList lineTimes() const
    {
        return queryRows(file,
            u"SELECT run_id || ':' || line_number, shown_ms, repeats, backs FROM line_times "
            "ORDER BY run_id, line_number"_s);
    }
    QString file;
    HistoryStore store { file };
    StoreHistory history { store };
    FixedRunSettings settings;
    HistoryRecorder recorder { history, settings };
    FakeDrill drill;
};

// The drill's own events, under a clock the test moves, recorded and read back.
class HistoryRecorderTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        recorded.reset();
        folder.emplace();
        QVERIFY(folder->isValid());
        path = folder->filePath(u"drill.txt"_s);
        recorded.emplace(folder->filePath(u"history.sqlite"_s));
    }

    // Repeats, backs and a line shown twice: its times on screen add up; the run's row holds
    // the time, count and rate exactly as the finished screen shows them.
    void aFinishedRunIsKeptWithTheTimeOfEachLine()
    {
        FakeDrill& drill = recorded->drill;
        drill.open(path, { u"one"_s, u"two"_s, u"three"_s });
        drill.type(u"F 1000 D 500 F 2000 S 700 F 300 F 1500 D 3000 F");

        QCOMPARE(drill.rate, u"20 words/min"_s);
        QVERIFY(!drill.countVisible);
        QCOMPARE(recorded->history.recorded, 1);
        QCOMPARE(recorded->lineTimes(),
            QStringList({ u"1:1 2200 1 1"_s, u"1:2 2300 0 0"_s, u"1:3 4500 1 0"_s }));
        const QList<RunRow> runs = recorded->store.runs(path);
        QCOMPARE(runs.size(), 1);
        QCOMPARE(QList<int>({ int(runs[0].elapsedMs), runs[0].lines, runs[0].rate }),
            QList<int>({ 9000, 3, 20 }));
        QCOMPARE(runs[0].voice + u' ' + runs[0].pace, u"female normal"_s);
        QVERIFY(!runs[0].practice);
        QCOMPARE(runs[0].startedAtText, u"2026-12-08T09:00:00+09:00"_s);
        QCOMPARE(runs[0].finishedAtText, u"2026-12-08T09:00:09+09:00"_s);
        QCOMPARE(queryValue(recorded->file, u"SELECT title FROM drills"_s), u"one"_s);
        QCOMPARE(queryValue(recorded->file,
                     u"SELECT group_concat(text) FROM "
                     u"(SELECT text FROM drill_lines ORDER BY line_number)"_s),
            u"one,two,three"_s);
        // The rate is spoken and waited for as before.
        QVERIFY(drill.speech.log.join(u'|').endsWith(u"say 20 words/min|wait"_s));
    }

    // Reset part-way, another file opened part-way, and a finish in the same second as the
    // start (no rate) keep nothing; the runs after them start their line times afresh.
    void onlyRunsThatReachTheirEndAreKept()
    {
        FakeDrill& drill = recorded->drill;
        drill.open(folder->filePath(u"a.txt"_s), { u"a1"_s, u"a2"_s });
        drill.type(u"F 5000 F 5000 R");
        drill.open(path, { u"b1"_s });
        drill.type(u"F 100 F"); // the same second: no rate, not finished
        QCOMPARE(recorded->history.recorded, 0);
        drill.type(u"2000 F");
        QCOMPARE(recorded->history.recorded, 1);
        QCOMPARE(recorded->lineTimes(), QStringList({ u"1:1 2100 0 0"_s }));
        drill.type(u"F R F 3000 F"); // the notice, then a reset and a whole run
        QCOMPARE(recorded->history.recorded, 2);
        QCOMPARE(recorded->lineTimes(), QStringList({ u"1:1 2100 0 0"_s, u"2:1 3000 0 0"_s }));
    }

    // A practice run of lines 3 and 1: its count starts at 2, R starts it over, and it is kept
    // as a practice run of the same drill with the drill's line numbers.
    void aPracticeRunIsKeptUnderTheDrillsLineNumbers()
    {
        FakeDrill& drill = recorded->drill;
        const QStringList lines { u"one"_s, u"two"_s, u"three"_s };
        drill.open(path, lines);
        drill.type(u"F 1000 F");
        drill.run.practise({ path, lines, { 3, 1 } });
        QCOMPARE(drill.count, u"count 2"_s);
        drill.type(u"F 1000 R");
        QCOMPARE(drill.count, u"count 2"_s);
        drill.type(u"F 4000 F 2000 F");
        QCOMPARE(drill.display, QString());
        QCOMPARE(drill.rate, u"20 words/min"_s);
        QCOMPARE(recorded->history.recorded, 1);
        QCOMPARE(recorded->lineTimes(), QStringList({ u"1:1 2000 0 0"_s, u"1:3 4000 0 0"_s }));
        const QList<RunRow> runs = recorded->store.runs(path);
        QCOMPARE(runs.size(), 1);
        QVERIFY(runs[0].practice);
        QCOMPARE(runs[0].lines, 2);
        // The practice run belongs to the same drill as the whole file's runs.
        drill.type(u"R F F F F 3000 F");
        QCOMPARE(recorded->store.drills().size(), 1);
        QCOMPARE(recorded->store.runs(path).size(), 2);
    }

private:
    std::optional<QTemporaryDir> folder;
    QString path;
    std::optional<RecordedDrill> recorded;
};

QTEST_GUILESS_MAIN(HistoryRecorderTest)
#include "history_recorder_test.moc"
