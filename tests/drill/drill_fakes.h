#pragma once

#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "reading_run.h"
#include "recording_speech.h"
#include "voice.h"

#include <QHash>

// The display as plain fields, starting as the window starts: empty, count label visible.
struct FakeDrillView : DrillView {
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString& caption) override { count = caption; }
    bool isCountVisible() const override { return countVisible; }
    void setCountVisible(bool visible) override { countVisible = visible; }
    void setTimeCaption(const QString& caption) override { time = caption; }
    void setRateCaption(const QString& caption) override { rate = caption; }
    QString rateCaption() const override { return rate; }

    QString display, count, time, rate;
    bool countVisible = true;
};

struct FakeClock : Clock {
    QTime timeOfDay() const override { return now; }
    QTime now { 9, 0, 0 };
};

struct FakeFileChooser : FileChooser {
    QString chooseFileToOpen(const QString& filter) override
    {
        shownFilter = filter;
        return answer;
    }
    QString answer, shownFilter;
};

struct FakeErrorReporter : ErrorReporter {
    void reportError(const QString&, const QString& message) override { messages.append(message); }
    QStringList messages;
};

// Drill files in memory; a path listed in `failing` cannot be read.
struct FakeDrillFileReader : DrillFileReader {
    DrillFileContents read(const QString& path, int maxLines) override
    {
        if (failing.contains(path))
            return { {}, QStringLiteral("cannot read ") + path };
        return { files.value(path).mid(0, maxLines), {} };
    }
    QHash<QString, QStringList> files;
    QStringList failing;
};

// A reading run wired to fakes, reading its files through the given reader.
struct DrillFixture {
    explicit DrillFixture(DrillFileReader& reader)
        : files(reader)
    {
    }
    void open(const QString& path)
    {
        chooser.answer = path;
        run.Open();
    }

    FakeDrillView view;
    RecordingSpeech speech;
    Voice voice { speech.engine, speech.output };
    FakeClock clock;
    DrillFileReader& files;
    FakeFileChooser chooser;
    FakeErrorReporter errors;
    ReadingRun run { view, voice, clock, files, chooser, errors };
};
