// Takes the README's picture of the Progress window: a made-up month of runs of a twelve-line
// drill, the window at 1280x800 grabbed to the PNG file given.
// Usage: progress_screenshot OUTPUT.png [WIDTHxHEIGHT] (on a display, e.g. under xvfb-run)
#include "history_fixture.h"
#include "progress_dialogs.h"
#include "progress_window.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>

namespace {

struct NoDialogs : ProgressDialogs {
    QString chooseCsvFile(QWidget*, const QString&) override { return {}; }
    bool confirmForget(QWidget*, const QString&) override { return false; }
    void reportError(QWidget*, const QString&, const QString&) override { }
};

const QStringList DrillLines = QStringLiteral(
    "Good morning, how are you today?|The weather is lovely this afternoon.|"
    "Could you tell me the way to the station?|I would like a cup of coffee, please.|"
    "She sells sea shells by the sea shore.|We are going to the museum on Saturday.|"
    "Peter Piper picked a peck of pickled peppers.|How much does this jacket cost?|"
    "毎日少しずつ読みましょう。|The train leaves at a quarter past nine.|Red lorry, yellow lorry.|"
    "Thank you very much for your help.")
                                   .split(u'|');

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QTemporaryDir folder;
    HistoryStore store(folder.filePath(QStringLiteral("history.sqlite")));
    store.open();
    QRandomGenerator random(7);
    const QString path = QStringLiteral("/home/learner/drills/everyday-english.txt");
    for (int day = 0; day < 24; ++day) {
        RunRecord run;
        run.path = path;
        run.drillLines = DrillLines;
        run.startedAt = QDateTime(
            QDate(2026, 11, 9).addDays(day + day / 6), QTime(7, 30), Qt::OffsetFromUTC, 3600);
        run.lines = int(DrillLines.size());
        run.elapsedMs = qint64(60000 - day * 1300 + random.bounded(-4000, 4000));
        run.elapsedMs -= run.elapsedMs % 1000;
        run.finishedAt = run.startedAt.addMSecs(run.elapsedMs);
        run.rate = int(qRound(run.lines * 60000.0 / double(run.elapsedMs)));
        run.voice = day < 12 ? QStringLiteral("male") : QStringLiteral("female");
        run.pace = QStringLiteral("normal");
        for (int line = 1; line <= run.lines; ++line) {
            const bool hard = line == 5 || line == 7 || line == 11;
            run.lineTimes.append({ line,
                qint64(DrillLines.at(line - 1).size()) * (hard ? 160 : 90) + random.bounded(0, 600),
                hard ? int(random.bounded(0, 3)) : 0, hard ? int(random.bounded(0, 2)) : 0 });
        }
        store.record(run);
    }
    FakeDrill drill;
    NoDialogs dialogs;
    ProgressWindow window(&store, QString(), drill.run, dialogs);
    const QStringList size = QString::fromLocal8Bit(argc > 2 ? argv[2] : "1280x800").split(u'x');
    window.resize(size.value(0).toInt(), size.value(1).toInt());
    window.showDrill(path);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTest::qWait(300); // the chart's first layout
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
