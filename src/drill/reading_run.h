#pragma once

#include "line_store.h"
#include "run_events.h"

#include <QString>
#include <QTime>

struct DrillFileContents;
class Clock;
class DrillFileReader;
class DrillSpeech;
class DrillView;
class ErrorReporter;
class FileChooser;

// Everything the drill remembers between commands.
struct DrillState {
    LineStore Lines;
    QString FileName;
    int Total = 0; // lines counted when the file was opened
    int CurrentIndex = 0; // 1-based number of the line on display, 0 for none
    int Remaining = 0; // lines after the one on display
    QTime StartTime;
    QTime EndTime;
    QDateTime StartedAt; // StartTime with its date and UTC offset, for the history
};

// A run of a few lines of a drill, kept in memory: the file is not read for it.
struct PracticeLines {
    QString fileName;
    QStringList drillLines; // every line of the drill, in file order
    QList<int> lineNumbers; // the drill's numbers of the lines to practise, in order
};

// The reading drill: opening a drill file and stepping through its lines, timed and spoken.
class ReadingRun {
public:
    // Abandoned: the command stopped part-way, leaving what it had done so far.
    enum class Outcome { Done, Abandoned };

    // The file type the Open dialog offers, in the desktop's language where there is a
    // translation.
    static QString openFilter();
    static inline const QString Notice = QStringLiteral("Reset: [R] or [U]");

    ReadingRun(DrillView& view, DrillSpeech& speech, const Clock& clock, DrillFileReader& files,
        FileChooser& chooser, ErrorReporter& errors);

    // Asks for a drill file, loads its lines and counts them.
    void Open();
    // Opens the given drill file as if it had been chosen in the Open dialog.
    void openFile(const QString& path);
    // Shows the next line, or finishes the run after the last one.
    Outcome Start();
    // Shows and speaks the current line again.
    Outcome Repeat();
    // Goes back one line.
    Outcome Back();
    // Reloads the file's lines and starts over.
    Outcome Reset();
    // Shows and speaks the notice that the run must be reset.
    void chui();
    // Starts over with just the given lines of a drill; Reset then restarts them until
    // another file is opened.
    void practise(const PracticeLines& practice);
    bool isPractice() const { return !m_practice.lineNumbers.isEmpty(); }

    // Who hears of lines shown and runs finished or abandoned; none by default.
    void setEvents(RunEvents* events) { m_events = events; }

    const DrillState& state() const { return m_state; }

private:
    // Once the run is finished, stepping only gives the notice until a reset.
    bool noticeIfFinished();
    void loadPass(const DrillFileContents& contents);
    void showLine();
    // After line n the learner most likely steps on to n+1, repeats n or goes back to n-1.
    void prefetchAround();
    void setCountCaption();
    Outcome finish();
    void loadPractice();
    void abandonRun();
    void tell(int lineNumber, LineShowing how);

    DrillView& m_view;
    DrillSpeech& m_speech;
    const Clock& m_clock;
    DrillFileReader& m_files;
    FileChooser& m_chooser;
    ErrorReporter& m_errors;
    DrillState m_state;
    PracticeLines m_practice;
    RunEvents* m_events = nullptr;
};
