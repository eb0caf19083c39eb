#include "progress_window.h"

#include "csv_writer.h"
#include "progress_dialogs.h"
#include "progress_figures.h"
#include "reading_run.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

QString timeTaken(qint64 elapsedMs)
{
    const qint64 seconds = elapsedMs / 1000;
    return QString::number(seconds / 60) + QStringLiteral("' ") + QString::number(seconds % 60)
        + u'"';
}

QTableWidget* table(const QStringList& headers, const QString& name, QWidget* parent)
{
    auto* result = new QTableWidget(0, int(headers.size()), parent);
    result->setHorizontalHeaderLabels(headers);
    result->setObjectName(name);
    result->setEditTriggers(QAbstractItemView::NoEditTriggers);
    result->setSelectionBehavior(QAbstractItemView::SelectRows);
    result->verticalHeader()->setVisible(false);
    result->horizontalHeader()->setStretchLastSection(true);
    result->setWordWrap(false);
    // Column widths from the first rows, not from every one of thousands of runs.
    result->horizontalHeader()->setResizeContentsPrecision(200);
    return result;
}

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

ProgressWindow::ProgressWindow(HistoryStore* store, const QString& noStoreReason, ReadingRun& run,
    ProgressDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
    , m_noStoreReason(noStoreReason)
    , m_run(run)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Progress"));
    setAccessibleName(QStringLiteral("Progress"));
    createControls();
    applyColours();
}

void ProgressWindow::createControls()
{
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* drillLabel = new QLabel(QStringLiteral("&Drill:"), this);
    cboDrill = new QComboBox(this);
    cboDrill->setObjectName(QStringLiteral("cboDrill"));
    cboDrill->setAccessibleName(QStringLiteral("Drill"));
    cboDrill->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboDrill->setMinimumContentsLength(30);
    drillLabel->setBuddy(cboDrill);
    top->addWidget(drillLabel);
    top->addWidget(cboDrill, 1);
    cmdExportCsv = new QPushButton(QStringLiteral("Export CSV…"), this);
    cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
    cmdExportCsv->setAccessibleName(QStringLiteral("Export CSV…"));
    cmdForget = new QPushButton(QStringLiteral("Forget this drill…"), this);
    cmdForget->setObjectName(QStringLiteral("cmdForget"));
    cmdForget->setAccessibleName(QStringLiteral("Forget this drill…"));
    top->addWidget(cmdExportCsv);
    top->addWidget(cmdForget);
    layout->addLayout(top);

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAccessibleName(QStringLiteral("Status"));
    lblStatus->setWordWrap(true);
    lblStatus->setVisible(false);
    layout->addWidget(lblStatus);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_chart = new QChart;
    m_chart->setTitle(QStringLiteral("Rate of every finished run"));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chtRates = new QChartView(m_chart, splitter);
    chtRates->setObjectName(QStringLiteral("chtRates"));
    chtRates->setAccessibleName(QStringLiteral("Chart of the rate of every run"));
    chtRates->setAccessibleDescription(
        QStringLiteral("The same figures are in the table of runs below."));
    chtRates->setRenderHint(QPainter::Antialiasing);
    // Room for the title, two axes with their titles and the legend around the plot itself,
    // at any font size.
    chtRates->setMinimumHeight(fontMetrics().height() * 18);

    auto* tables = new QWidget(splitter);
    auto* tablesLayout = new QHBoxLayout(tables);
    tablesLayout->setContentsMargins(0, 0, 0, 0);
    auto* runsBox = new QVBoxLayout;
    auto* runsLabel = new QLabel(QStringLiteral("&Runs, newest first"), tables);
    tblRuns = table({ QStringLiteral("Date"), QStringLiteral("Time taken"), QStringLiteral("Rate"),
                        QStringLiteral("Lines"), QStringLiteral("Voice") },
        QStringLiteral("tblRuns"), tables);
    tblRuns->setAccessibleName(QStringLiteral("Runs, newest first"));
    runsLabel->setBuddy(tblRuns);
    runsBox->addWidget(runsLabel);
    runsBox->addWidget(tblRuns);
    auto* hardBox = new QVBoxLayout;
    auto* hardLabel = new QLabel(QStringLiteral("&Lines that hold you back"), tables);
    tblHardLines
        = table({ QStringLiteral("Line"), QStringLiteral("ms per character"),
                    QStringLiteral("Repeats"), QStringLiteral("Backs"), QStringLiteral("Text") },
            QStringLiteral("tblHardLines"), tables);
    tblHardLines->setAccessibleName(QStringLiteral("Lines that hold you back"));
    tblHardLines->setSelectionMode(QAbstractItemView::ExtendedSelection);
    hardLabel->setBuddy(tblHardLines);
    cmdDrillLines = new QPushButton(QStringLiteral("Drill these lines"), tables);
    cmdDrillLines->setObjectName(QStringLiteral("cmdDrillLines"));
    cmdDrillLines->setAccessibleName(QStringLiteral("Drill these lines"));
    hardBox->addWidget(hardLabel);
    hardBox->addWidget(tblHardLines);
    hardBox->addWidget(cmdDrillLines);
    tablesLayout->addLayout(runsBox, 1);
    tablesLayout->addLayout(hardBox, 1);
    splitter->addWidget(chtRates);
    splitter->addWidget(tables);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 1, 1 }); // half and half to begin with
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter, 1);

    // Esc closes this window as it would a dialog; it never reaches the drill's Esc.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    connect(cboDrill, &QComboBox::currentIndexChanged, this, &ProgressWindow::showChosenDrill);
    connect(cmdDrillLines, &QPushButton::clicked, this, &ProgressWindow::drillChosenLines);
    connect(cmdExportCsv, &QPushButton::clicked, this, &ProgressWindow::chooseCsvFile);
    connect(cmdForget, &QPushButton::clicked, this, &ProgressWindow::forgetDrill);
}

void ProgressWindow::applyColours()
{
    // The chart follows the window's own palette, so that a dark or high-contrast desktop
    // theme reads the same as the rest of the window.
    const QPalette colours = palette();
    m_chart->setBackgroundBrush(colours.window());
    m_chart->setTitleBrush(colours.windowText());
    m_chart->legend()->setLabelColor(colours.color(QPalette::WindowText));
    m_chart->setBackgroundRoundness(0);
}

void ProgressWindow::showDrill(const QString& path)
{
    const QSignalBlocker blocker(cboDrill);
    cboDrill->clear();
    if (!m_store) {
        setStatus(m_noStoreReason);
    } else {
        for (const DrillSummary& drill : m_store->drills())
            cboDrill->addItem(drill.title + QStringLiteral(" — ") + drill.path, drill.path);
        if (m_store->state() == HistoryStore::State::Unavailable)
            setStatus(QStringLiteral("No history can be shown: ") + m_store->problem() + u'.');
        else if (m_store->state() == HistoryStore::State::ReadOnly)
            setStatus(m_store->problem() + u'.');
        else if (cboDrill->count() == 0)
            setStatus(QStringLiteral("No run has been finished yet: every finished run is kept "
                                     "and shown here."));
        else
            setStatus(QString());
    }
    const int index = cboDrill->findData(path);
    cboDrill->setCurrentIndex(index >= 0 ? index : (cboDrill->count() > 0 ? 0 : -1));
    showChosenDrill();
}

QString ProgressWindow::shownDrill() const
{
    return cboDrill->currentData().toString();
}

void ProgressWindow::setStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->setVisible(!text.isEmpty());
}

void ProgressWindow::showChosenDrill()
{
    const QString path = shownDrill();
    const QList<RunRow> runs = m_store && !path.isEmpty() ? m_store->runs(path) : QList<RunRow>();
    fillChart(runs);
    fillRuns(runs);
    fillHardLines();
    const bool any = !runs.isEmpty();
    const bool writable = m_store && m_store->state() == HistoryStore::State::Writable;
    cmdExportCsv->setEnabled(any);
    cmdForget->setEnabled(any && writable);
    cmdDrillLines->setEnabled(tblHardLines->rowCount() > 0);
}

void ProgressWindow::fillChart(const QList<RunRow>& runs)
{
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes())
        m_chart->removeAxis(axis);

    // Practice runs of a few lines are not comparable with whole runs: the chart shows whole
    // runs only, oldest first; the table lists both.
    QList<const RunRow*> whole;
    for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
        if (!it->practice)
            whole.append(&*it);
    }
    QList<int> rates;
    for (const RunRow* run : std::as_const(whole))
        rates.append(run->rate);
    const QList<double> means = movingMean(rates);
    const int best = bestIndex(rates);

    const QPalette colours = palette();
    auto* rateSeries = new QLineSeries;
    rateSeries->setName(QStringLiteral("Rate (lines/min)"));
    // A dot for each run while they can be told apart; a line alone for hundreds.
    rateSeries->setPointsVisible(whole.size() <= 300);
    rateSeries->setPen(QPen(colours.color(QPalette::Highlight), 2));
    auto* meanSeries = new QLineSeries;
    meanSeries->setName(QStringLiteral("Mean of five runs"));
    meanSeries->setPen(QPen(colours.color(QPalette::WindowText), 1.5, Qt::DashLine));
    auto* bestSeries = new QScatterSeries;
    bestSeries->setName(QStringLiteral("Best"));
    // A star in the text colour: told apart from the rate's dots by shape, not colour alone.
    bestSeries->setMarkerShape(QScatterSeries::MarkerShapeStar);
    bestSeries->setMarkerSize(fontMetrics().height() * 1.4);
    bestSeries->setColor(colours.color(QPalette::WindowText));
    bestSeries->setBorderColor(colours.color(QPalette::WindowText));
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const double x = double(whole.at(i)->finishedAt.toMSecsSinceEpoch());
        rateSeries->append(x, rates.at(i));
        meanSeries->append(x, means.at(i));
        if (i == best)
            bestSeries->append(x, rates.at(i));
    }
    m_chart->addSeries(rateSeries);
    m_chart->addSeries(meanSeries);
    m_chart->addSeries(bestSeries);

    auto* dates = new QDateTimeAxis;
    dates->setFormat(QStringLiteral("yyyy-MM-dd"));
    dates->setTickCount(6);
    dates->setTitleText(QStringLiteral("Date"));
    auto* values = new QValueAxis;
    values->setTitleText(QStringLiteral("Lines per minute"));
    values->setLabelFormat(QStringLiteral("%d"));
    if (!whole.isEmpty()) {
        const QDateTime first = whole.constFirst()->finishedAt;
        const QDateTime last = whole.constLast()->finishedAt;
        // A margin on both sides keeps the first and last points, the best's star among them,
        // inside the plot; one run alone gets an hour on each side.
        const qint64 margin = std::max<qint64>(3600, first.secsTo(last) / 20);
        dates->setRange(first.addSecs(-margin), last.addSecs(margin));
        values->setRange(0, *std::max_element(rates.cbegin(), rates.cend()) * 1.15 + 1);
        values->applyNiceNumbers();
    }
    for (QAbstractAxis* axis :
        { static_cast<QAbstractAxis*>(dates), static_cast<QAbstractAxis*>(values) }) {
        axis->setLabelsBrush(colours.windowText());
        axis->setTitleBrush(colours.windowText());
        axis->setLinePenColor(colours.color(QPalette::WindowText));
        axis->setGridLineColor(colours.color(QPalette::Mid));
    }
    m_chart->addAxis(dates, Qt::AlignBottom);
    m_chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* series : m_chart->series()) {
        series->attachAxis(dates);
        series->attachAxis(values);
    }
}

void ProgressWindow::fillRuns(const QList<RunRow>& runs)
{
    tblRuns->setUpdatesEnabled(false);
    tblRuns->setRowCount(int(runs.size()));
    for (int row = 0; row < runs.size(); ++row) {
        const RunRow& run = runs.at(row);
        const QString lines = QString::number(run.lines)
            + (run.practice ? QStringLiteral(" (practice)") : QString());
        tblRuns->setItem(row, 0, cell(run.finishedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        tblRuns->setItem(row, 1, cell(timeTaken(run.elapsedMs), Qt::AlignRight));
        tblRuns->setItem(row, 2, cell(QString::number(run.rate), Qt::AlignRight));
        tblRuns->setItem(row, 3, cell(lines, Qt::AlignRight));
        tblRuns->setItem(row, 4, cell(run.voice));
    }
    tblRuns->resizeColumnsToContents();
    tblRuns->setUpdatesEnabled(true);
}

void ProgressWindow::fillHardLines()
{
    const QString path = shownDrill();
    const QList<HardLine> lines
        = m_store && !path.isEmpty() ? m_store->hardLines(path) : QList<HardLine>();
    tblHardLines->setRowCount(int(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const HardLine& line = lines.at(row);
        auto* number = cell(QString::number(line.lineNumber), Qt::AlignRight);
        number->setData(Qt::UserRole, line.lineNumber);
        tblHardLines->setItem(row, 0, number);
        tblHardLines->setItem(
            row, 1, cell(QString::number(line.msPerCharacter, 'f', 0), Qt::AlignRight));
        tblHardLines->setItem(row, 2, cell(QString::number(line.repeats), Qt::AlignRight));
        tblHardLines->setItem(row, 3, cell(QString::number(line.backs), Qt::AlignRight));
        tblHardLines->setItem(row, 4, cell(line.text));
    }
    tblHardLines->resizeColumnsToContents();
}

QList<int> ProgressWindow::chosenLines() const
{
    QList<int> rows;
    for (const QModelIndex& index : tblHardLines->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty()) {
        for (int row = 0; row < tblHardLines->rowCount(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    QList<int> numbers;
    for (const int row : std::as_const(rows))
        numbers.append(tblHardLines->item(row, 0)->data(Qt::UserRole).toInt());
    return numbers;
}

void ProgressWindow::drillChosenLines()
{
    const QList<int> numbers = chosenLines();
    if (!m_store || numbers.isEmpty())
        return;
    m_run.practise({ shownDrill(), m_store->drillLines(shownDrill()), numbers });
    emit practiceStarted();
}

bool ProgressWindow::exportCsv(const QString& fileName)
{
    const QString path = shownDrill();
    if (!m_store || path.isEmpty())
        return false;
    QList<QStringList> records { { QStringLiteral("run"), QStringLiteral("started_at"),
        QStringLiteral("finished_at"), QStringLiteral("elapsed_ms"), QStringLiteral("lines"),
        QStringLiteral("rate"), QStringLiteral("voice"), QStringLiteral("pace"),
        QStringLiteral("practice"), QStringLiteral("line_number"), QStringLiteral("line"),
        QStringLiteral("shown_ms"), QStringLiteral("repeats"), QStringLiteral("backs") } };
    QHash<qint64, RunRow> runs;
    for (const RunRow& run : m_store->runs(path))
        runs.insert(run.id, run);
    for (const LineTimeRow& line : m_store->lineTimes(path)) {
        const RunRow run = runs.value(line.runId);
        records.append({ QString::number(run.id), run.startedAtText, run.finishedAtText,
            QString::number(run.elapsedMs), QString::number(run.lines), QString::number(run.rate),
            run.voice, run.pace, run.practice ? QStringLiteral("1") : QStringLiteral("0"),
            QString::number(line.time.lineNumber), line.text, QString::number(line.time.shownMs),
            QString::number(line.time.repeats), QString::number(line.time.backs) });
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(csvDocument(records)) < 0
        || !file.commit()) {
        m_dialogs.reportError(this, QStringLiteral("Export CSV"),
            QStringLiteral("%1 could not be written: %2").arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

void ProgressWindow::chooseCsvFile()
{
    const QString suggested = QFileInfo(shownDrill()).completeBaseName() + QStringLiteral(".csv");
    const QString fileName = m_dialogs.chooseCsvFile(this, suggested);
    if (!fileName.isEmpty())
        exportCsv(fileName);
}

void ProgressWindow::forgetDrill()
{
    const QString path = shownDrill();
    if (!m_store || path.isEmpty() || !m_dialogs.confirmForget(this, cboDrill->currentText()))
        return;
    if (!m_store->forgetDrill(path))
        m_dialogs.reportError(this, QStringLiteral("Forget this drill"),
            QStringLiteral("The runs of %1 could not be forgotten.").arg(path));
    showDrill(QString());
}
