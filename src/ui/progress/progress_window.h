#pragma once

#include "history_store.h"

#include <QWidget>

class ProgressDialogs;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class ReadingRun;

// The learner's progress with one drill: the rate of every finished run against its date with
// the best marked and a moving mean of five, the runs as a table (the chart's figures as
// text), the lines that hold the learner back, and "Drill these lines", "Export CSV…" and
// "Forget this drill…". With no store it says why there is no history.
class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    ProgressWindow(HistoryStore* store, const QString& noStoreReason, ReadingRun& run,
        ProgressDialogs& dialogs, QWidget* parent = nullptr);

    // Reads the drill list again and shows the given drill, or the newest one.
    void showDrill(const QString& path);
    QString shownDrill() const;

    // The lines chosen in the hard lines table, or all of them when none is chosen.
    QList<int> chosenLines() const;
    void drillChosenLines();
    bool exportCsv(const QString& fileName);

signals:
    // A practice run was started: the drill's window should come forward.
    void practiceStarted();

private:
    void createControls();
    void applyColours();
    void showChosenDrill();
    void fillChart(const QList<RunRow>& runs);
    void fillRuns(const QList<RunRow>& runs);
    void fillHardLines();
    void chooseCsvFile();
    void forgetDrill();
    void setStatus(const QString& text);

    HistoryStore* m_store;
    QString m_noStoreReason;
    ReadingRun& m_run;
    ProgressDialogs& m_dialogs;
    QComboBox* cboDrill = nullptr;
    QChart* m_chart = nullptr;
    QChartView* chtRates = nullptr;
    QTableWidget* tblRuns = nullptr;
    QTableWidget* tblHardLines = nullptr;
    QPushButton* cmdDrillLines = nullptr;
    QPushButton* cmdExportCsv = nullptr;
    QPushButton* cmdForget = nullptr;
    QLabel* lblStatus = nullptr;
};
