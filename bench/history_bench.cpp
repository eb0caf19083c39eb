// Prints what keeping the history costs: the window's thread's share of recording one finished
// run of 30 lines (median and p99, handed to the background writer) beside writing the same
// run to SQLite on the spot; opening the Progress window on 10,000 runs of one drill beside a
// bare window with a table; and the file's size per 1,000 runs of 30 lines beside the same
// figures as CSV text.
// Run it as: QT_QPA_PLATFORM=offscreen build/ci/bench/history_bench
#include "background_history.h"
#include "clock.h"
#include "csv_writer.h"
#include "drill_file_reader.h"
#include "drill_speech.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "history_recorder.h"
#include "history_store.h"
#include "progress_dialogs.h"
#include "progress_window.h"
#include "reading_run.h"
#include "run_settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Lines = 30;

struct Settings : RunSettings {
    QString voiceName() const override { return QStringLiteral("male"); }
    QString paceName() const override { return QStringLiteral("normal"); }
};

struct NoDialogs : ProgressDialogs {
    QString chooseCsvFile(QWidget*, const QString&) override { return {}; }
    bool confirmForget(QWidget*, const QString&) override { return false; }
    void reportError(QWidget*, const QString&, const QString&) override { }
};

struct NoView : DrillView, DrillSpeech, Clock, DrillFileReader, FileChooser, ErrorReporter {
    void setDisplayText(const QString&) override { }
    QString displayText() const override { return {}; }
    void setCountCaption(const QString&) override { }
    bool isCountVisible() const override { return true; }
    void setCountVisible(bool) override { }
    void setTimeCaption(const QString&) override { }
    void setRateCaption(const QString&) override { }
    QString rateCaption() const override { return {}; }
    void SayNow(const QString&) override { }
    void SayAndWait(const QString&) override { }
    void prefetch(const QStringList&) override { }
    QTime timeOfDay() const override { return QTime(9, 0); }
    DrillFileContents read(const QString&, int) override { return {}; }
    QString chooseFileToOpen(const QString&) override { return {}; }
    void reportError(const QString&, const QString&) override { }
};

QStringList drillLines()
{
    QStringList lines;
    for (int n = 1; n <= Lines; ++n)
        lines.append(QStringLiteral("Line %1 of the drill, about forty characters").arg(n));
    return lines;
}

FinishedRun finishedRun(int n)
{
    FinishedRun run;
    run.fileName = QStringLiteral("/drills/words.txt");
    run.drillLines = drillLines();
    run.lines = Lines;
    run.elapsedMs = 45000 + n % 1000;
    run.rate = 40;
    run.startedAt = QDateTime(QDate(2026, 1, 1), QTime(9, 0)).addSecs(qint64(n) * 600);
    run.finishedAt = run.startedAt.addSecs(45);
    return run;
}

// Feeds a whole run's events to the recorder and times only the finish, which is all the
// window's thread does for the history at the end of a run.
qint64 recordOne(HistoryRecorder& recorder, int n)
{
    for (int line = 1; line <= Lines; ++line)
        recorder.lineShown(line, LineShowing::Step, qint64(line) * 1500);
    QElapsedTimer timer;
    timer.start();
    recorder.runFinished(finishedRun(n), Lines * 1500 + 700);
    return timer.nsecsElapsed();
}

void printFigures(const char* what, std::vector<qint64> nanos)
{
    std::sort(nanos.begin(), nanos.end());
    std::printf("%-58s median %8.3f ms  p99 %8.3f ms\n", what,
        double(nanos[nanos.size() / 2]) / 1e6, double(nanos[nanos.size() * 99 / 100]) / 1e6);
}

// Writes the store straight, the way the bare baseline does.
struct DirectHistory : RunHistory {
    explicit DirectHistory(HistoryStore& into)
        : store(into)
    {
    }
    void record(const RunRecord& run) override { store.record(run); }
    HistoryStore& store;
};

qint64 fileSize(const QString& path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    Settings settings;
    constexpr int Runs = 1000;

    // 1. Recording one run.
    {
        const QString path = folder.filePath(QStringLiteral("background.sqlite"));
        BackgroundHistory background(path);
        background.openSoon();
        background.flush(10000);
        HistoryRecorder recorder(background, settings);
        std::vector<qint64> handOff;
        for (int n = 0; n < Runs; ++n)
            handOff.push_back(recordOne(recorder, n));
        QElapsedTimer drain;
        drain.start();
        background.flush(60000);
        printFigures("window's thread, recording one run (background writer)", handOff);
        std::printf("%-58s %8.3f s for %d runs after the last hand-over\n",
            "  background writer catching up", double(drain.elapsed()) / 1e3, Runs);

        HistoryStore store(folder.filePath(QStringLiteral("direct.sqlite")));
        store.open();
        DirectHistory direct(store);
        HistoryRecorder onTheSpot(direct, settings);
        std::vector<qint64> written;
        for (int n = 0; n < Runs; ++n)
            written.push_back(recordOne(onTheSpot, n));
        printFigures("baseline: the same run written to SQLite on the spot", written);
    }

    // 2. Database size per 1,000 runs of 30 lines, beside the same figures as CSV.
    {
        const QString path = folder.filePath(QStringLiteral("size.sqlite"));
        qint64 csvBytes = 0;
        {
            HistoryStore store(path);
            store.open();
            DirectHistory direct(store);
            HistoryRecorder recorder(direct, settings);
            for (int n = 0; n < Runs; ++n)
                recordOne(recorder, n);
            QList<QStringList> records;
            for (const RunRow& run : store.runs(QStringLiteral("/drills/words.txt"))) {
                for (int line = 1; line <= Lines; ++line)
                    records.append({ QString::number(run.id), run.startedAtText, run.finishedAtText,
                        QString::number(run.elapsedMs), QString::number(run.lines),
                        QString::number(run.rate), run.voice, run.pace, QStringLiteral("0"),
                        QString::number(line), QStringLiteral("1500"), QStringLiteral("0"),
                        QStringLiteral("0") });
            }
            csvBytes = csvDocument(records).size();
        }
        // Closing the last connection folds the log into the file.
        std::printf("%-58s %8.1f KiB\n", "history file per 1,000 runs of 30 lines",
            double(fileSize(path)) / 1024);
        std::printf(
            "%-58s %8.1f KiB\n", "baseline: the same figures as CSV text", double(csvBytes) / 1024);
    }

    // 3. Opening the Progress window with 10,000 runs of one drill.
    {
        const QString path = folder.filePath(QStringLiteral("many.sqlite"));
        {
            HistoryStore store(path);
            store.open();
            DirectHistory direct(store);
            HistoryRecorder recorder(direct, settings);
            for (int n = 0; n < 10 * Runs; ++n)
                recordOne(recorder, n);
        }
        NoView view;
        ReadingRun run(view, view, view, view, view, view);
        NoDialogs dialogs;
        std::vector<qint64> opening;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            // As the program's Progress window opens it: the writer has checked the file.
            HistoryStore store(
                path, HistoryStore::DefaultBusyTimeoutMs, HistoryStore::Checking::Light);
            store.open();
            ProgressWindow window(&store, QString(), run, dialogs);
            window.resize(1280, 800);
            window.showDrill(QStringLiteral("/drills/words.txt"));
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                qFatal("the Progress window was not shown");
            window.grab();
            opening.push_back(timer.nsecsElapsed());
        }
        printFigures("opening the Progress window, 10,000 runs of one drill", opening);

        std::vector<qint64> bare;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            QTableWidget window(10 * Runs, 5);
            for (int row = 0; row < 10 * Runs; ++row)
                for (int column = 0; column < 5; ++column)
                    window.setItem(row, column, new QTableWidgetItem(QString::number(row)));
            window.resize(1280, 800);
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                qFatal("the bare window was not shown");
            window.grab();
            bare.push_back(timer.nsecsElapsed());
        }
        printFigures("baseline: a bare window with a table of 10,000 rows", bare);
    }
    return 0;
}
