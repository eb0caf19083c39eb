#include "history_fixture.h"
#include "progress_dialogs.h"
#include "progress_window.h"

#include <QAccessible>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct FakeProgressDialogs : ProgressDialogs {
    QString chooseCsvFile(QWidget*, const QString& suggested) override
    {
        suggestions.append(suggested);
        return csvFile;
    }
    bool confirmForget(QWidget*, const QString&) override
    {
        ++confirmations;
        return confirm;
    }
    void reportError(QWidget*, const QString&, const QString& message) override
    {
        errors.append(message);
    }
    QString csvFile;
    bool confirm = false;
    int confirmations = 0;
    QStringList suggestions, errors;
};

const QString Drill = u"/drills/words.txt"_s;

RunRecord runAt(int day, int rate, bool practice = false)
{
    RunRecord run = sampleRun(Drill, 3, rate);
    run.drillLines = { u"a fairly long first line"_s, u"short"_s, u"mid line"_s };
    run.startedAt = QDateTime(QDate(2026, 11, day), QTime(8, 0), Qt::OffsetFromUTC, 3600);
    run.finishedAt = run.startedAt.addSecs(60);
    run.practice = practice;
    return run;
}

QList<QPointF> points(QChart* chart, const QString& name)
{
    for (QAbstractSeries* series : chart->series()) {
        if (series->name() == name)
            return static_cast<QXYSeries*>(series)->points();
    }
    return {};
}

QStringList column(QTableWidget* table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts.append(table->item(row, column)->text());
    return texts;
}

} // namespace

// The Progress window on runs kept in a real SQLite file.
class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        folderOwner.emplace();
        QVERIFY(folderOwner->isValid());
        store.emplace(folderOwner->filePath(u"history.sqlite"_s));
        QCOMPARE(store->open(), HistoryStore::State::Writable);
    }
    void cleanup()
    {
        window.reset();
        store.reset();
    }

    // One point for every whole run, oldest first; the best (the latest of equals) marked
    // once; the mean of the last five; the table lists every run newest first, practice too.
    // Every control has a name a screen reader can say; the chart is drawn in the window's
    // own colours; the window fits a 1024x768 screen and fills a 4K one.
    void theChartHasOnePointPerRunWithTheBestMarked()
    {
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
        QApplication::setPalette(dark);
        const QList<int> rates { 30, 42, 35, 50, 41, 50, 38 };
        for (int i = 0; i < rates.size(); ++i)
            QVERIFY(store->record(runAt(i + 1, rates[i])));
        QVERIFY(store->record(runAt(20, 90, true)));
        showDrill();
        QApplication::setPalette(QPalette());
        auto* chart = find<QChartView>(u"chtRates"_s)->chart();
        const QList<QPointF> rate = points(chart, u"Rate (lines/min)"_s);
        QCOMPARE(rate.size(), rates.size());
        for (int i = 0; i < rates.size(); ++i)
            QCOMPARE(rate[i].y(), double(rates[i]));
        QCOMPARE(points(chart, u"Best"_s), QList<QPointF>({ rate[5] }));
        const QList<QPointF> mean = points(chart, u"Mean of five runs"_s);
        QCOMPARE(mean.size(), rates.size());
        QCOMPARE(mean[0].y(), 30.0);
        QCOMPARE(mean[6].y(), (35 + 50 + 41 + 50 + 38) / 5.0);

        auto* runs = find<QTableWidget>(u"tblRuns"_s);
        QCOMPARE(column(runs, 2),
            QStringList(
                { u"90"_s, u"38"_s, u"50"_s, u"41"_s, u"50"_s, u"35"_s, u"42"_s, u"30"_s }));
        QCOMPARE(runs->item(0, 3)->text(), u"3 (practice)"_s);
        // The date and time as the learner's clock showed it then.
        QCOMPARE(runs->item(1, 0)->text(), u"2026-11-07 08:01"_s);
        QCOMPARE(runs->item(1, 1)->text(), u"1' 0\""_s);
        QCOMPARE(runs->item(1, 4)->text(), u"male"_s);
        QCOMPARE(chart->backgroundBrush().color(), QColor(0x20, 0x20, 0x20));
        QCOMPARE(chart->titleBrush().color(), QColor(0xf0, 0xf0, 0xf0));
        for (QAbstractAxis* axis : chart->axes())
            QCOMPARE(axis->labelsBrush().color(), QColor(0xf0, 0xf0, 0xf0));

        QStringList named;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (control->focusPolicy() == Qt::NoFocus || !control->objectName().size())
                continue;
            named.append(control->objectName());
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                qPrintable(control->objectName()));
        }
        named.sort();
        QCOMPARE(named,
            QStringList({ u"cboDrill"_s, u"chtRates"_s, u"cmdDrillLines"_s, u"cmdExportCsv"_s,
                u"cmdForget"_s, u"tblHardLines"_s, u"tblRuns"_s }));
        for (const QSize screen : { QSize(1024, 768), QSize(3840, 2160) }) {
            window->resize(screen * 4 / 5);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(&*window));
            QVERIFY(window->minimumSizeHint().width() <= screen.width() * 4 / 5);
            QVERIFY(window->minimumSizeHint().height() <= screen.height() * 4 / 5);
            QCOMPARE(window->size(), screen * 4 / 5);
        }
    }

    // Time on screen per character over the last five runs, longest first; an older run does
    // not count, and repeats and backs are summed.
    void theLinesThatHoldYouBackComeLongestFirst()
    {
        RunRecord old = runAt(1, 40);
        old.lineTimes = { { 1, 1000, 0, 0 }, { 2, 1000, 0, 0 }, { 3, 10'000'000, 9, 9 } };
        QVERIFY(store->record(old));
        for (int day = 2; day <= 6; ++day) {
            RunRecord run = runAt(day, 40);
            // 24 characters, 5 and 8: 200, 400 and 100 ms per character.
            run.lineTimes = { { 1, 4800, 1, 0 }, { 2, 2000, 0, 1 }, { 3, 800, 0, 0 } };
            QVERIFY(store->record(run));
        }
        showDrill();
        auto* lines = find<QTableWidget>(u"tblHardLines"_s);
        QCOMPARE(column(lines, 0), QStringList({ u"2"_s, u"1"_s, u"3"_s }));
        QCOMPARE(column(lines, 1), QStringList({ u"400"_s, u"200"_s, u"100"_s }));
        QCOMPARE(column(lines, 2), QStringList({ u"0"_s, u"5"_s, u"0"_s }));
        QCOMPARE(column(lines, 3), QStringList({ u"5"_s, u"0"_s, u"0"_s }));
        QCOMPARE(column(lines, 4),
            QStringList({ u"short"_s, u"a fairly long first line"_s, u"mid line"_s }));

        // The chosen lines, or all of them, become a run in memory whose count starts at their
        // number and which shows them in drill order.
        QSignalSpy started(&*window, &ProgressWindow::practiceStarted);
        auto* button = find<QPushButton>(u"cmdDrillLines"_s);

        lines->selectRow(0); // line 2
        lines->selectionModel()->select(lines->model()->index(2, 0),
            QItemSelectionModel::Select | QItemSelectionModel::Rows); // line 3
        button->click();
        QCOMPARE(started.count(), 1);
        QCOMPARE(drill.count, u"count 2"_s);
        QVERIFY(drill.run.isPractice());
        drill.type(u"F"_s);
        QCOMPARE(drill.display, u"short"_s);
        drill.type(u"F"_s);
        QCOMPARE(drill.display, u"mid line"_s);

        lines->clearSelection();
        button->click();
        QCOMPARE(drill.count, u"count 3"_s);
    }

    // Runs and line times, with commas, quotes and Japanese text, as a spreadsheet reads them:
    // the byte-order mark once, a field quoted when it holds a comma or a quote.
    void exportsRunsAndLineTimesAsCsv()
    {
        RunRecord run = runAt(1, 40);
        run.drillLines = { u"He said \"hi\", then left"_s, u"日本語, の行です"_s };
        run.lines = 2;
        run.lineTimes = { { 1, 1500, 2, 0 }, { 2, 2500, 0, 1 } };
        QVERIFY(store->record(run));
        showDrill();
        dialogs.csvFile = folderOwner->filePath(u"words.csv"_s);
        find<QPushButton>(u"cmdExportCsv"_s)->click();
        QCOMPARE(dialogs.suggestions, QStringList({ u"words.csv"_s }));
        QFile file(dialogs.csvFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(
            bytes.startsWith("\xEF\xBB\xBF"
                             "run,started_at,finished_at,elapsed_ms,lines,rate,"
                             "voice,pace,practice,line_number,line,shown_ms,repeats,backs\r\n"));
        const QStringList records = QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s);
        QCOMPARE(records.size(), 4); // the header, two line times and the empty end
        QCOMPARE(records[1],
            u"1,2026-11-01T08:00:00+01:00,2026-11-01T08:01:00+01:00,60000,2,40,male,normal,0,1,"
            "\"He said \"\"hi\"\", then left\",1500,2,0"_s);
        QVERIFY(records[2].endsWith(u",2,\"日本語, の行です\",2500,0,1"_s));
        QVERIFY(dialogs.errors.isEmpty());

        // Nothing is forgotten without a yes.
        auto* forget = find<QPushButton>(u"cmdForget"_s);
        forget->click();
        QCOMPARE(store->runs(Drill).size(), 1);
        dialogs.confirm = true;
        forget->click();
        QCOMPARE(dialogs.confirmations, 2);
        QCOMPARE(store->runs(Drill).size(), 0);
        QCOMPARE(find<QComboBox>(u"cboDrill"_s)->count(), 0);
        QVERIFY(find<QLabel>(u"lblStatus"_s)->text().contains(u"No run"_s));
    }

    // Why the window is empty: the history is off, or cannot be read.
    void anEmptyWindowSaysWhy()
    {
        ProgressWindow off(nullptr, u"No history is kept: --no-history."_s, drill.run, dialogs);
        off.showDrill(QString());
        QCOMPARE(
            off.findChild<QLabel*>(u"lblStatus"_s)->text(), u"No history is kept: --no-history."_s);
        QVERIFY(!off.findChild<QPushButton*>(u"cmdDrillLines"_s)->isEnabled());

        HistoryStore unreadable(folderOwner->filePath(u"history.sqlite/in/a/file"_s));
        QFile(folderOwner->filePath(u"history.sqlite"_s)).open(QIODevice::Append);
        unreadable.open();
        ProgressWindow broken(&unreadable, QString(), drill.run, dialogs);
        broken.showDrill(QString());
        QVERIFY(broken.findChild<QLabel*>(u"lblStatus"_s)->text().startsWith(u"No history can"_s));
    }

private:
    void showDrill()
    {
        window.emplace(&*store, QString(), drill.run, dialogs);
        window->showDrill(Drill);
    }
    template <class T> T* find(const QString& name) { return window->findChild<T*>(name); }

    std::optional<QTemporaryDir> folderOwner;
    std::optional<HistoryStore> store;
    FakeDrill drill;
    FakeProgressDialogs dialogs;
    std::optional<ProgressWindow> window;
};

QTEST_MAIN(ProgressWindowTest)
#include "progress_window_test.moc"
