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
    if (m_state.Remaining == m_state.Total)
        m_state.StartTime = m_clock.timeOfDay();
    if (m_state.Remaining == 0)
        return finish();

    ++m_state.CurrentIndex;
    showLine();
    --m_state.Remaining;
    setCountCaption();
    return Outcome::Done;
}

ReadingRun::Outcome ReadingRun::Repeat()
{
    if (noticeIfFinished())
        return Outcome::Abandoned;
    if (m_state.CurrentIndex != 0)
        showLine();
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
    return Outcome::Done;
}

ReadingRun::Outcome ReadingRun::Reset()
{
    // Before any file has been chosen there is nothing to reload, and nothing to say.
    if (m_state.FileName.isEmpty())
        return Outcome::Abandoned;
    const DrillFileContents contents = m_files.read(m_state.FileName, LineStore::Capacity);
    if (!contents.ok()) {
        m_errors.reportError(QStringLiteral("Reset"), contents.error);
        return Outcome::Abandoned;
    }

    // The lines are reloaded to pick up edits, but the run still covers the lines counted
    // when the file was opened.
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

    m_view.setRateCaption(
        QString::number(linesPerMinute(m_state.Total, seconds)) + QStringLiteral(" words/min"));
    m_speech.SayAndWait(m_view.rateCaption());
    m_view.setDisplayText(QString());
    m_view.setCountVisible(false);
    // From here every step key gives the notice until a reset.
    m_speech.prefetch({ Notice });
    return Outcome::Done;
}
