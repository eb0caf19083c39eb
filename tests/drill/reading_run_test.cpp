#include "drill_fakes.h"

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using Outcome = ReadingRun::Outcome;
using Command = std::function<Outcome(ReadingRun&)>;
Q_DECLARE_METATYPE(Command)

// Stepping through a drill: what is shown, counted, timed and said, and what a command that
// is abandoned leaves behind.
class TestReadingRun : public QObject {
    Q_OBJECT

    FakeDrillFileReader m_files;
    std::unique_ptr<DrillFixture> m_f;

    // Opens a drill of `lines` numbered lines with a fresh run and a clear speech log.
    DrillFixture& open(int lines)
    {
        QStringList text;
        for (int n = 1; n <= lines; ++n)
            text.append(u"line %1"_s.arg(n));
        m_files = {};
        m_files.files.insert(u"drill.txt"_s, text);
        m_f = std::make_unique<DrillFixture>(m_files);
        m_f->open(u"drill.txt"_s);
        m_f->speech.log.clear();
        return *m_f;
    }
    static void press(DrillFixture& f, int times, Outcome expected = Outcome::Done)
    {
        for (int i = 0; i < times; ++i)
            QCOMPARE(f.run.Start(), expected);
    }
    // Reads every line, then finishes `seconds` after the first was shown.
    static void finishAfter(DrillFixture& f, int seconds)
    {
        press(f, f.run.state().Remaining);
        f.clock.now = f.clock.now.addSecs(seconds);
        press(f, 1);
        f.speech.log.clear();
    }

private slots:
    void walksThroughThreeLines()
    {
        DrillFixture& f = open(3);
        for (int n = 1; n <= 3; ++n) {
            press(f, 1);
            QCOMPARE(f.view.display, u"line %1"_s.arg(n));
            QCOMPARE(f.view.count, u"count %1"_s.arg(4 - n));
        }
        // Each line cuts off what was being said and is spoken in the background.
        QCOMPARE(f.speech.log.mid(4), QStringList({ u"stop"_s, u"say line 3"_s }));
        f.speech.log.clear();

        f.clock.now = f.clock.now.addSecs(45);
        press(f, 1);
        QCOMPARE(f.view.time, u"0' 45\""_s);
        QCOMPARE(f.view.rate, u"4 words/min"_s);
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say 4 words/min"_s, u"wait"_s }));
        QCOMPARE(f.view.display, QString());
        QVERIFY(!f.view.countVisible);
    }

    void finishedRunOnlyGivesTheNotice_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("Start") << Command(&ReadingRun::Start);
        QTest::newRow("Repeat") << Command(&ReadingRun::Repeat);
        QTest::newRow("Back") << Command(&ReadingRun::Back);
    }
    void finishedRunOnlyGivesTheNotice()
    {
        QFETCH(Command, command);
        DrillFixture& f = open(30);
        finishAfter(f, 45);
        QCOMPARE(f.view.rate, u"40 words/min"_s);

        QCOMPARE(command(f.run), Outcome::Abandoned);
        QCOMPARE(f.view.display, u"Reset: [R] or [U]"_s);
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say Reset: [R] or [U]"_s, u"wait"_s }));
        QCOMPARE(f.view.time, u"0' 45\""_s);
        QCOMPARE(f.view.rate, u"40 words/min"_s);
        QCOMPARE(f.run.state().CurrentIndex, 30);
        QVERIFY(!f.view.countVisible);
    }

    void backAndRepeatStayWithinTheRun()
    {
        DrillFixture& f = open(10);
        QCOMPARE(f.run.Repeat(), Outcome::Done);
        press(f, 1);
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.run.state().CurrentIndex, 1);
        QCOMPARE(f.speech.log.size(), 2); // only line 1, once

        press(f, 2);
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.view.display, u"line 2"_s);
        QCOMPARE(f.view.count, u"count 9"_s);
        f.speech.log.clear();
        QCOMPARE(f.run.Repeat(), Outcome::Done);
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say line 2"_s }));
        QCOMPARE(f.run.state().Remaining, 8);
    }

    void clockStartsAtTheFirstLineShown()
    {
        DrillFixture& f = open(3);
        press(f, 2);
        f.clock.now = QTime(9, 0, 20);
        QCOMPARE(f.run.Back(), Outcome::Done);
        press(f, 1);
        QCOMPARE(f.run.state().StartTime, QTime(9, 0, 0));
        // Reopening the file puts the run back at its beginning, display cleared.
        f.run.Open();
        QCOMPARE(f.run.state().Remaining, 3);
        QCOMPARE(f.view.display, QString());
        press(f, 1);
        QCOMPARE(f.run.state().StartTime, QTime(9, 0, 20));
    }

    void zeroSecondsCannotBeRated()
    {
        DrillFixture& f = open(2);
        press(f, 2);
        f.speech.log.clear();
        press(f, 1, Outcome::Abandoned);
        QCOMPARE(f.view.time, u"0' 0\""_s);
        QCOMPARE(f.view.rate, QString());
        QCOMPARE(f.view.display, u"line 2"_s);
        QVERIFY(f.view.countVisible);
        QCOMPARE(f.speech.log, QStringList());

        f.clock.now = f.clock.now.addSecs(3);
        press(f, 1);
        QCOMPARE(f.view.rate, u"40 words/min"_s);
    }

    void longAndOvernightRuns_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("rate");
        QTest::newRow("across midnight") << QTime(23, 59, 30) << 45 << "0' 45\""
                                         << "40 words/min";
        QTest::newRow("an hour and more") << QTime(9, 0, 0) << 4503 << "75' 3\""
                                          << "0 words/min";
    }
    void longAndOvernightRuns()
    {
        QFETCH(QTime, start);
        QFETCH(int, seconds);
        DrillFixture& f = open(30);
        f.clock.now = start;
        finishAfter(f, seconds);
        QTEST(f.view.time, "time");
        QTEST(f.view.rate, "rate");
    }

    void resetStartsOverOnReloadedLines()
    {
        DrillFixture& f = open(3);
        finishAfter(f, 60);
        m_files.files[u"drill.txt"_s] = QStringList({ u"new 1"_s, u"new 2"_s, u"new 3"_s, u"4"_s });

        QCOMPARE(f.run.Reset(), Outcome::Done);
        QVERIFY(f.view.countVisible);
        QCOMPARE(f.view.count + f.view.time + f.view.rate + f.view.display, QString());
        QCOMPARE(f.speech.log, QStringList());
        QCOMPARE(f.run.state().Remaining, 3);

        f.clock.now = QTime(10, 0, 0);
        press(f, 3);
        QCOMPARE(f.view.display, u"new 3"_s);
        QCOMPARE(f.run.state().StartTime, QTime(10, 0, 0));
        // The run still covers only the lines counted when the file was opened.
        f.clock.now = f.clock.now.addSecs(30);
        press(f, 1);
        QVERIFY(!f.view.countVisible);
    }

    void resetOfAFileThatIsGoneSaysSoAndChangesNothing()
    {
        DrillFixture& f = open(3);
        finishAfter(f, 60);
        m_files.failing.append(u"drill.txt"_s);
        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors.messages.size(), 1);
        QVERIFY(!f.view.countVisible);
        QCOMPARE(f.view.rate, u"3 words/min"_s);
    }
};

QTEST_GUILESS_MAIN(TestReadingRun)
#include "reading_run_test.moc"
