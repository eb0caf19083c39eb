#include "fake_drill.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Outcome = ReadingRun::Outcome;

// The display, the count ("-" when hidden), the time and the rate.
static QString seen(const FakeDrill& f)
{
    return f.display + u'|' + (f.countVisible ? f.count : u"-"_s) + u'|' + f.time + u'|' + f.rate;
}

// What was asked of the voice since it was last cut off.
static QString lastSaid(const FakeDrill& f)
{
    return f.speech.log.mid(f.speech.log.lastIndexOf(u"stop"_s)).join(u", ");
}

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
        const char* notice = "Reset: [R] or [U]|-|0' 15\"|12 words/min";
        const char* saidNotice = "stop, say Reset: [R] or [U], wait";
        row("Start after the finish", "FFF+FF", notice, saidNotice, true);
        row("Repeat after the finish", "FFF+FD", notice, saidNotice, true);
        row("Back after the finish", "FFF+FS", notice, saidNotice, true);
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
        FakeDrill f(3);
        const Outcome last = f.type(keys);
        QTEST(seen(f), "seen");
        QTEST(lastSaid(f), "said");
        QTEST(last == Outcome::Abandoned, "abandoned");
    }

    // The store holds 3001 lines, not 3000: the last line of a full drill is shown and said.
    void aFullDrillReachesItsLastLine()
    {
        FakeDrill f(LineStore::Capacity);
        f.type(QString(LineStore::Capacity, u'F'));
        QCOMPARE(seen(f), u"line 3001|count 1||"_s);
        QCOMPARE(lastSaid(f), u"stop, say line 3001"_s);
    }

    // After each step the speech hears what the learner most likely asks for next: the next
    // line, the same one again, the one before; once finished, the notice.
    void hintsWhatIsLikelyNext()
    {
        FakeDrill f(3);
        QStringList heard;
        for (const QStringView keys : { u"", u"F", u"F", u"F", u"S", u"F", u"+F", u"R" }) {
            f.type(keys);
            heard.append(f.speech.likelyNext.join(u','));
        }
        QCOMPARE(heard,
            QStringList({ u"line 1"_s, u"line 2,line 1"_s, u"line 3,line 2,line 1"_s,
                u"line 3,line 2"_s, u"line 3,line 2,line 1"_s, u"line 3,line 2"_s,
                u"Reset: [R] or [U]"_s, u"line 1"_s }));
    }

    void openingLoadsCountsAndStartsOver()
    {
        FakeDrill f(4);
        f.type(u"FF");
        f.time = u"0' 45\""_s;
        f.open(u"short.txt"_s, { u"x"_s });

        QCOMPARE(f.shownFilter, u"Text files (*.txt)"_s);
        const DrillState& state = f.run.state();
        QCOMPARE(QList<int>({ state.Total, state.Remaining, state.CurrentIndex }),
            QList<int>({ 1, 1, 0 }));
        QCOMPARE(seen(f), u"|count 1|0' 45\"|"_s);
        // The store is never cleared: entries past a shorter file keep the earlier lines.
        QCOMPARE(state.Lines.at(0), u"x"_s);
        QCOMPARE(state.Lines.at(3), u"line 4"_s);
    }

    // A file that cannot be read keeps the place and says why; a cancelled dialog forgets
    // the path only, and a reset then has nothing to reload and says nothing.
    void failedOrCancelledOpenKeepsThePlace()
    {
        FakeDrill f(2);
        f.type(u"F");
        f.failing.append(u"gone.txt"_s);
        f.open(u"gone.txt"_s);
        QCOMPARE(f.errors, QStringList({ u"cannot read gone.txt"_s }));
        QCOMPARE(f.run.state().FileName, u"drill.txt"_s);
        QCOMPARE(seen(f), u"line 1|count 2||"_s);
        f.open(QString());
        QCOMPARE(f.run.state().FileName, QString());
        QCOMPARE(seen(f), u"line 1|count 2||"_s);
        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors.size(), 1);
    }

    // A practice run of lines 3 and 1 starts over from its first line on a reset, and ends
    // with the next file opened: a reset then reloads that file.
    void practiceStartsOverAndEndsWithTheNextFile()
    {
        FakeDrill f(3);
        f.run.practise({ u"drill.txt"_s, f.files[u"drill.txt"_s], { 3, 1 } });
        f.type(u"FRF");
        QCOMPARE(seen(f), u"line 3|count 2||"_s);
        f.open(u"other.txt"_s, { u"other 1"_s, u"other 2"_s });
        f.type(u"FRF");
        QCOMPARE(seen(f), u"other 1|count 2||"_s);
    }

    void resetReloadsTheLinesButNotTheCount()
    {
        FakeDrill f(3);
        f.type(u"FFF+F");
        f.files[u"drill.txt"_s] = QStringList({ u"new 1"_s, u"new 2"_s, u"new 3"_s, u"4"_s });
        QCOMPARE(f.type(u"RFFF"), Outcome::Done);
        QCOMPARE(seen(f), u"new 3|count 1||"_s);
        f.type(u"+F");
        QCOMPARE(seen(f), u"|-|0' 15\"|12 words/min"_s);

        f.failing.append(u"drill.txt"_s);
        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors.size(), 1);
        QCOMPARE(seen(f), u"|-|0' 15\"|12 words/min"_s);
    }
};

QTEST_GUILESS_MAIN(TestReadingRun)
#include "reading_run_test.moc"
