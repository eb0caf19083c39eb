#pragma once

#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "reading_run.h"
#include "recording_drill_speech.h"

#include <QHash>

// A reading run with the window, dialogs and files faked: the display as plain fields
// (starting as the window starts, count visible), drill files in memory (a path in `failing`
// cannot be read), and a clock that moves only when the test says: `ms` is the steady time,
// the time of day follows it from 9:00.
struct FakeDrill : DrillView, Clock, DrillFileReader, FileChooser, ErrorReporter {
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString& caption) override { count = caption; }
    bool isCountVisible() const override { return countVisible; }
    void setCountVisible(bool visible) override { countVisible = visible; }
    void setTimeCaption(const QString& caption) override { time = caption; }
    void setRateCaption(const QString& caption) override { rate = caption; }
    QString rateCaption() const override { return rate; }
    QTime timeOfDay() const override { return QTime(9, 0).addSecs(int(ms / 1000)); }
    qint64 steadyMs() const override { return ms; }
    QDateTime localDateTime() const override
    {
        return QDateTime(QDate(2026, 12, 8), timeOfDay(), Qt::OffsetFromUTC, 9 * 3600);
    }
    DrillFileContents read(const QString& path, int maxLines) override
    {
        if (failing.contains(path))
            return { {}, QStringLiteral("cannot read ") + path };
        return { files.value(path).mid(0, maxLines), {} };
    }
    QString chooseFileToOpen(const QString& filter) override
    {
        shownFilter = filter;
        return answer;
    }
    void reportError(const QString&, const QString& message) override { errors.append(message); }

    // With `lines`, opens drill.txt of lines "line 1" to "line <lines>", with nothing yet said.
    explicit FakeDrill(int lines = 0)
    {
        for (int n = 1; n <= lines; ++n)
            files[answer].append(QStringLiteral("line %1").arg(n));
        if (lines > 0)
            run.Open();
        speech.log.clear();
    }
    // Opens `path` as chosen in the dialog, holding `lines` when some are given.
    void open(const QString& path, const QStringList& lines = {})
    {
        if (!lines.isEmpty())
            files[path] = lines;
        answer = path;
        run.Open();
    }

    // Runs the keys in turn: F Start, D Repeat, S Back, R Reset, O open the file again; a
    // number lets that many milliseconds pass, + 15 seconds. Returns the last command's outcome.
    ReadingRun::Outcome type(QStringView keys)
    {
        auto outcome = ReadingRun::Outcome::Done;
        qint64 wait = 0;
        for (const QChar key : keys) {
            if (key.isDigit()) {
                wait = wait * 10 + key.digitValue();
                continue;
            }
            ms += std::exchange(wait, 0) + (key == u'+' ? 15000 : 0);
            if (key == u'F')
                outcome = run.Start();
            else if (key == u'D')
                outcome = run.Repeat();
            else if (key == u'S')
                outcome = run.Back();
            else if (key == u'R')
                outcome = run.Reset();
            else if (key == u'O')
                run.Open();
        }
        ms += wait;
        return outcome;
    }

    qint64 ms = 0;
    QString display, count, time, rate, answer = QStringLiteral("drill.txt"), shownFilter;
    bool countVisible = true;
    QHash<QString, QStringList> files;
    QStringList failing, errors;
    RecordingDrillSpeech speech;
    ReadingRun run { *this, speech, *this, *this, *this, *this };
};
