#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "reading_run.h"
#include "recording_drill_speech.h"

#include <QHash>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;
using Outcome = ReadingRun::Outcome;

// A reading run with everything around it faked: the display as plain fields (starting as
// the window starts, count label visible), a clock the test sets, drill files in memory (a
// path in `failing` cannot be read), the open-file dialog's answer and the error messages.
struct Drill : DrillView, Clock, DrillFileReader, FileChooser, ErrorReporter {
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString& caption) override { count = caption; }
    bool isCountVisible() const override { return countVisible; }
    void setCountVisible(bool visible) override { countVisible = visible; }
    void setTimeCaption(const QString& caption) override { time = caption; }
    void setRateCaption(const QString& caption) override { rate = caption; }
    QString rateCaption() const override { return rate; }
    QTime timeOfDay() const override { return now; }
    DrillFileContents read(const QString& path, int maxLines) override
    {
        if (failing.contains(path))
            return { {}, u"cannot read "_s + path };
        return { files.value(path).mid(0, maxLines), {} };
    }
    QString chooseFileToOpen(const QString& filter) override
    {
        shownFilter = filter;
        return answer;
    }
    void reportError(const QString&, const QString& message) override { errors.append(message); }

    // Opens drill.txt, numbered lines from "line 1" to "line <lines>", with nothing yet said.
    explicit Drill(int lines)
    {
        for (int n = 1; n <= lines; ++n)
            files[answer].append(u"line %1"_s.arg(n));
        run.Open();
        speech.log.clear();
    }
    void open(const QString& path)
    {
        answer = path;
        run.Open();
    }

    // Runs the keys in turn: F Start, D Repeat, S Back, R Reset, O open the file again, and
    // + lets 15 seconds pass. Returns the last command's outcome.
    Outcome type(QStringView keys)
    {
        const std::map<char16_t, Outcome (ReadingRun::*)()> commands
            = { { u'F', &ReadingRun::Start }, { u'D', &ReadingRun::Repeat },
                  { u'S', &ReadingRun::Back }, { u'R', &ReadingRun::Reset } };
        Outcome outcome = Outcome::Done;
        for (const QChar key : keys) {
            if (key == u'+')
                now = now.addSecs(15);
            else if (key == u'O')
                run.Open();
            else
                outcome = (run.*commands.at(key.unicode()))();
        }
        return outcome;
    }

    // The display, the count ("-" when hidden), the time and the rate.
    QString seen() const
    {
        return display + u'|' + (countVisible ? count : u"-"_s) + u'|' + time + u'|' + rate;
    }

    // What was asked of the voice since it was last cut off.
    QString lastSaid() const
    {
        return speech.log.mid(speech.log.lastIndexOf(u"stop"_s)).join(u", ");
    }

    QString display, count, time, rate, answer = u"drill.txt"_s, shownFilter;
    bool countVisible = true;
    QTime now { 9, 0, 0 };
    QHash<QString, QStringList> files;
    QStringList failing, errors;
    RecordingDrillSpeech speech;
    ReadingRun run { *this, speech, *this, *this, *this, *this };
};

// Stepping through a drill: what is shown, counted, timed and said, and what a command that
// is abandoned leaves behind.
class TestReadingRun : public QObject {
    Q_OBJECT

private slots:
    void stepsThroughThreeLines_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("seen");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("abandoned");
        auto row = [](const char* name, const char* keys, const char* seen, const char* said,
                       bool abandoned = false) {
            QTest::newRow(name) << keys << seen << said << abandoned;
        };
        row("first line", "F", "line 1|count 3||", "stop, say line 1");
        row("last line", "FFF", "line 3|count 1||", "stop, say line 3");
        row("finish", "FFF+++F", "|-|0' 45\"|4 words/min", "stop, say 4 words/min, wait");
        row("Start after the finish", "FFF+FF", "Reset: [R] or [U]|-|0' 15\"|12 words/min",
            "stop, say Reset: [R] or [U], wait", true);
        row("Repeat after the finish", "FFF+FD", "Reset: [R] or [U]|-|0' 15\"|12 words/min",
            "stop, say Reset: [R] or [U], wait", true);
        row("Back after the finish", "FFF+FS", "Reset: [R] or [U]|-|0' 15\"|12 words/min",
            "stop, say Reset: [R] or [U], wait", true);
        row("Repeat before any line", "D", "|count 3||", "");
        row("Repeat", "FFD", "line 2|count 2||", "stop, say line 2");
        row("Back on the first line", "FS", "line 1|count 3||", "stop, say line 1");
        row("Back", "FFFS", "line 2|count 2||", "stop, say line 2");
        row("no time, no rate", "FFFF", "line 3|count 1|0' 0\"|", "stop, say line 3", true);
        row("finish a while later", "FFFF+F", "|-|0' 15\"|12 words/min",
            "stop, say 12 words/min, wait");
        row("the clock starts at the first line", "+F+S+FF+F", "|-|0' 45\"|4 words/min",
            "stop, say 4 words/min, wait");
        row("reopening restarts the clock", "F+OFFF+++F", "|-|0' 45\"|4 words/min",
            "stop, say 4 words/min, wait");
        row("reset after the finish", "FFF+FR", "|||", "stop, say 12 words/min, wait");
        row("first line after a reset", "FFF+FRF", "line 1|count 3||", "stop, say line 1");
    }
    void stepsThroughThreeLines()
    {
        QFETCH(QString, keys);
        Drill f(3);
        const Outcome last = f.type(keys);
        QTEST(f.seen(), "seen");
        QTEST(f.lastSaid(), "said");
        QTEST(last == Outcome::Abandoned, "abandoned");
    }

    // The store holds 3001 lines, not 3000: the last line of a full drill is shown and said.
    void aFullDrillReachesItsLastLine()
    {
        Drill f(LineStore::Capacity);
        f.type(QString(LineStore::Capacity, u'F'));
        QCOMPARE(f.seen(), u"line 3001|count 1||"_s);
        QCOMPARE(f.lastSaid(), u"stop, say line 3001"_s);
    }

    // After each step the speech hears what the learner most likely asks for next: the next
    // line, the same one again, the one before; once finished, the notice.
    void hintsWhatIsLikelyNext_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("likely");
        QTest::newRow("opened") << u""_s << u"line 1"_s;
        QTest::newRow("first line") << u"F"_s << u"line 2,line 1"_s;
        QTest::newRow("middle line") << u"FF"_s << u"line 3,line 2,line 1"_s;
        QTest::newRow("last line") << u"FFF"_s << u"line 3,line 2"_s;
        QTest::newRow("back") << u"FFFS"_s << u"line 3,line 2,line 1"_s;
        QTest::newRow("finished") << u"FFF+F"_s << u"Reset: [R] or [U]"_s;
        QTest::newRow("reset") << u"FFF+FR"_s << u"line 1"_s;
    }
    void hintsWhatIsLikelyNext()
    {
        QFETCH(QString, keys);
        Drill f(3);
        f.type(keys);
        QTEST(f.speech.likelyNext.join(u','), "likely");
    }

    void openingLoadsCountsAndStartsOver()
    {
        Drill f(4);
        f.type(u"FF");
        f.time = u"0' 45\""_s;
        f.files.insert(u"short.txt"_s, { u"x"_s });
        f.open(u"short.txt"_s);

        QCOMPARE(f.shownFilter, u"Text files (*.txt)"_s);
        const DrillState& state = f.run.state();
        QCOMPARE(QList<int>({ state.Total, state.Remaining, state.CurrentIndex }),
            QList<int>({ 1, 1, 0 }));
        QCOMPARE(f.seen(), u"|count 1|0' 45\"|"_s);
        // The store is never cleared: entries past a shorter file keep the earlier lines.
        QCOMPARE(state.Lines.at(0), u"x"_s);
        QCOMPARE(state.Lines.at(3), u"line 4"_s);
    }

    void failedOpenKeepsThePlaceAndSaysWhy()
    {
        Drill f(2);
        f.type(u"F");
        f.failing.append(u"gone.txt"_s);
        f.open(u"gone.txt"_s);
        QCOMPARE(f.errors, QStringList({ u"cannot read gone.txt"_s }));
        QCOMPARE(f.run.state().FileName, u"drill.txt"_s);
        QCOMPARE(f.seen(), u"line 1|count 2||"_s);
    }

    void cancelForgetsThePathOnly()
    {
        Drill f(2);
        f.type(u"F");
        f.open(QString());
        QCOMPARE(f.run.state().FileName, QString());
        QCOMPARE(f.seen(), u"line 1|count 2||"_s);
        // With no file remembered a reset has nothing to reload, and says nothing.
        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors, QStringList());
    }

    void resetReloadsTheLinesButNotTheCount()
    {
        Drill f(3);
        f.type(u"FFF+F");
        f.files[u"drill.txt"_s] = QStringList({ u"new 1"_s, u"new 2"_s, u"new 3"_s, u"4"_s });
        QCOMPARE(f.type(u"RFFF"), Outcome::Done);
        QCOMPARE(f.seen(), u"new 3|count 1||"_s);
        f.type(u"+F");
        QCOMPARE(f.seen(), u"|-|0' 15\"|12 words/min"_s);

        f.failing.append(u"drill.txt"_s);
        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors.size(), 1);
        QCOMPARE(f.seen(), u"|-|0' 15\"|12 words/min"_s);
    }
};

QTEST_GUILESS_MAIN(TestReadingRun)
#include "reading_run_test.moc"
