#include "reading_run.h"

#include "clock.h"
#include "drill_file_reader.h"
#include "drill_speech.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "run_timing.h"

#include <QCoreApplication>

#include <algorithm>

ReadingRun::ReadingRun(DrillView& view, DrillSpeech& speech, const Clock& clock,
    DrillFileReader& files, FileChooser& chooser, ErrorReporter& errors)
    : m_view(view)
    , m_speech(speech)
    , m_clock(clock)
    , m_files(files)
    , m_chooser(chooser)
    , m_errors(errors)
{
}

QString ReadingRun::openFilter()
{
    return QCoreApplication::translate(
        "ReadingRun", "Text files (*.txt)", "The file type offered in the Open dialog");
}

void ReadingRun::Open()
{
    const QString chosen = m_chooser.chooseFileToOpen(openFilter());
    if (chosen.isEmpty()) {
        m_state.FileName.clear();
        return;
    }
    openFile(chosen);
}

void ReadingRun::openFile(const QString& path)
{
    const QString previousFile = m_state.FileName;
    m_state.FileName = path;

    // The file is read once: the lines stored and the count come from the same read, so
    // they always agree. A file that cannot be read changes nothing the learner relies on.
    const DrillFileContents contents = m_files.read(m_state.FileName, LineStore::Capacity);
    if (!contents.ok()) {
        m_state.FileName = previousFile;
        m_errors.reportError(QStringLiteral("Open Text File"), contents.error);
        return;
    }

    abandonRun();
    m_practice = {};
    m_view.setDisplayText(QString());
    loadPass(contents);
    m_state.Remaining = int(contents.lines.size());
    m_view.setCountCaption(QStringLiteral("count ") + QString::number(m_state.Remaining));
    m_state.Total = m_state.Remaining;
    prefetchAround();
}

ReadingRun::Outcome ReadingRun::Start()
{
    if (noticeIfFinished())
        return Outcome::Abandoned;
    if (m_state.Remaining == m_state.Total) {
        m_state.StartTime = m_clock.timeOfDay();
        m_state.StartedAt = m_clock.localDateTime();
    }
    if (m_state.Remaining == 0)
        return finish();

    ++m_state.CurrentIndex;
    showLine();
    --m_state.Remaining;
    setCountCaption();
    tell(m_state.CurrentIndex, LineShowing::Step);
    return Outcome::Done;
}

ReadingRun::Outcome ReadingRun::Repeat()
{
    if (noticeIfFinished())
        return Outcome::Abandoned;
    if (m_state.CurrentIndex != 0) {
        showLine();
        tell(m_state.CurrentIndex, LineShowing::Repeat);
    }
    return Outcome::Done;
}

ReadingRun::Outcome ReadingRun::Back()
{
    if (noticeIfFinished())
        return Outcome::Abandoned;
    if (m_state.CurrentIndex <= 1)
        return Outcome::Done;

    --m_state.CurrentIndex;
    showLine();
    ++m_state.Remaining;
    setCountCaption();
    tell(m_state.CurrentIndex, LineShowing::Back);
    return Outcome::Done;
}

ReadingRun::Outcome ReadingRun::Reset()
{
    // Before any file has been chosen there is nothing to reload, and nothing to say.
    if (m_state.FileName.isEmpty())
        return Outcome::Abandoned;
    // A practice run starts over with its own lines, which live only in memory.
    if (isPractice()) {
        loadPractice();
        return Outcome::Done;
    }
    const DrillFileContents contents = m_files.read(m_state.FileName, LineStore::Capacity);
    if (!contents.ok()) {
        m_errors.reportError(QStringLiteral("Reset"), contents.error);
        return Outcome::Abandoned;
    }

    // The lines are reloaded to pick up edits, but the run still covers the lines counted
    // when the file was opened.
    abandonRun();
    loadPass(contents);
    m_view.setDisplayText(QString());
    m_state.Remaining = m_state.Total;
    m_view.setRateCaption(QString());
    m_view.setTimeCaption(QString());
    m_view.setCountVisible(true);
    m_view.setCountCaption(QString());
    prefetchAround();
    return Outcome::Done;
}

void ReadingRun::practise(const PracticeLines& practice)
{
    if (practice.lineNumbers.isEmpty())
        return;
    m_practice = practice;
    m_state.FileName = practice.fileName;
    loadPractice();
}

void ReadingRun::loadPractice()
{
    abandonRun();
    QStringList lines;
    for (const int number : std::as_const(m_practice.lineNumbers))
        lines.append(m_practice.drillLines.value(number - 1));
    m_state.Lines.fill(lines);
    m_state.CurrentIndex = 0;
    m_state.Total = int(lines.size());
    m_state.Remaining = m_state.Total;
    m_view.setDisplayText(QString());
    m_view.setRateCaption(QString());
    m_view.setTimeCaption(QString());
    m_view.setCountVisible(true);
    m_view.setCountCaption(QStringLiteral("count ") + QString::number(m_state.Total));
    prefetchAround();
}

void ReadingRun::abandonRun()
{
    if (m_events)
        m_events->runAbandoned();
}

void ReadingRun::tell(int lineNumber, LineShowing how)
{
    if (m_events)
        m_events->lineShown(lineNumber, how, m_clock.steadyMs());
}

void ReadingRun::chui()
{
    m_view.setDisplayText(Notice);
    m_speech.SayAndWait(m_view.displayText());
}

bool ReadingRun::noticeIfFinished()
{
    if (m_view.isCountVisible())
        return false;
    chui();
    return true;
}

void ReadingRun::loadPass(const DrillFileContents& contents)
{
    m_state.Lines.fill(contents.lines);
    m_state.CurrentIndex = 0;
}

void ReadingRun::showLine()
{
    m_view.setDisplayText(m_state.Lines.at(m_state.CurrentIndex - 1));
    m_speech.SayNow(m_view.displayText());
    prefetchAround();
}

void ReadingRun::prefetchAround()
{
    const int shown = m_state.CurrentIndex;
    const int last = std::min(m_state.Total, LineStore::Capacity);
    QStringList likely;
    for (const int line : { shown + 1, shown, shown - 1 }) {
        if (line >= 1 && line <= last)
            likely.append(m_state.Lines.at(line - 1));
    }
    m_speech.prefetch(likely);
}

void ReadingRun::setCountCaption()
{
    m_view.setCountCaption(QStringLiteral("count ") + QString::number(m_state.Remaining + 1));
}

ReadingRun::Outcome ReadingRun::finish()
{
    m_state.EndTime = m_clock.timeOfDay();
    const int seconds = elapsedSeconds(m_state.StartTime, m_state.EndTime);
    m_view.setTimeCaption(elapsedCaption(seconds));
    // No rate can be given for no time at all; the next press finishes again.
    if (seconds == 0)
        return Outcome::Abandoned;

    const int rate = linesPerMinute(m_state.Total, seconds);
    m_view.setRateCaption(QString::number(rate) + QStringLiteral(" words/min"));
    // Told before the rate is spoken, so that the time spoken is not counted on the last line.
    if (m_events) {
        FinishedRun run;
        run.fileName = m_state.FileName;
        if (isPractice()) {
            run.drillLines = m_practice.drillLines;
            run.practiceLineNumbers = m_practice.lineNumbers;
        } else {
            for (int i = 0; i < std::min(m_state.Total, LineStore::Capacity); ++i)
                run.drillLines.append(m_state.Lines.at(i));
        }
        run.lines = m_state.Total;
        run.elapsedMs = qint64(seconds) * 1000;
        run.rate = rate;
        run.startedAt = m_state.StartedAt;
        run.finishedAt = m_clock.localDateTime();
        m_events->runFinished(run, m_clock.steadyMs());
    }
    m_speech.SayAndWait(m_view.rateCaption());
    m_view.setDisplayText(QString());
    m_view.setCountVisible(false);
    // From here every step key gives the notice until a reset.
    m_speech.prefetch({ Notice });
    return Outcome::Done;
}
