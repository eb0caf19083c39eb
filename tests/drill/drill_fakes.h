#pragma once

#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTime>

// The display as plain fields, starting as the window starts: empty, count label visible.
class FakeDrillView : public DrillView {
public:
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString& caption) override { count = caption; }
    bool isCountVisible() const override { return countVisible; }
    void setCountVisible(bool visible) override { countVisible = visible; }
    void setTimeCaption(const QString& caption) override { time = caption; }
    void setRateCaption(const QString& caption) override { rate = caption; }
    QString rateCaption() const override { return rate; }

    QString display;
    QString count;
    bool countVisible = true;
    QString time;
    QString rate;
};

class FakeClock : public Clock {
public:
    QTime timeOfDay() const override { return now; }
    QTime now { 9, 0, 0 };
};

// Answers the open-file dialog with a prepared path and remembers the filter it was shown.
class FakeFileChooser : public FileChooser {
public:
    QString chooseFileToOpen(const QString& filter) override
    {
        shownFilter = filter;
        return answer;
    }
    QString answer;
    QString shownFilter;
};

class FakeErrorReporter : public ErrorReporter {
public:
    void reportError(const QString&, const QString& message) override { messages.append(message); }
    QStringList messages;
};

// Serves drill files from memory; a path in `failing` cannot be read.
class FakeDrillFileReader : public DrillFileReader {
public:
    DrillFileContents read(const QString& path, int maxLines) override
    {
        ++reads;
        if (failing.contains(path))
            return { {}, QStringLiteral("cannot read ") + path };
        return { files.value(path).mid(0, maxLines), {} };
    }
    QHash<QString, QStringList> files;
    QStringList failing;
    int reads = 0;
};
