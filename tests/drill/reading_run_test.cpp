#include "drill_fakes.h"
#include "reading_run.h"
#include "recording_speech.h"
#include "voice.h"

#include <QTest>
#include <functional>

using Outcome = ReadingRun::Outcome;
using Command = std::function<Outcome(ReadingRun&)>;
Q_DECLARE_METATYPE(Command)

using namespace Qt::StringLiterals;

namespace {

const QString DrillPath = QStringLiteral("/drills/ten.txt");

QStringList numbered(int count)
{
    QStringList lines;
    for (int n = 1; n <= count; ++n)
        lines.append(QStringLiteral("line %1").arg(n));
    return lines;
}

} // namespace

// Stepping through a drill: what is shown, counted, timed and said, and what a command that
// is abandoned leaves behind.
class TestReadingRun : public QObject {
    Q_OBJECT

    struct Fixture {
        FakeDrillView view;
        RecordingSpeech speech;
        Voice voice { speech.engine, speech.output };
        FakeClock clock;
        FakeDrillFileReader files;
        FakeFileChooser chooser;
        FakeErrorReporter errors;
        ReadingRun run { view, voice, clock, files, chooser, errors };

        explicit Fixture(int lineCount)
        {
            files.files.insert(DrillPath, numbered(lineCount));
            chooser.answer = DrillPath;
            run.Open();
            speech.log.clear();
        }
        void startTimes(int count)
        {
            for (int i = 0; i < count; ++i)
                QCOMPARE(run.Start(), Outcome::Done);
        }
        void finishAfter(int seconds)
        {
            startTimes(run.state().Remaining);
            clock.now = clock.now.addSecs(seconds);
            QCOMPARE(run.Start(), Outcome::Done);
            speech.log.clear();
        }
    };

private slots:
    void walksThroughThreeLines()
    {
        Fixture f(3);
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(f.run.Start(), Outcome::Done);
            QCOMPARE(f.view.display, QStringLiteral("line %1").arg(n));
            QCOMPARE(f.view.count, QStringLiteral("count %1").arg(4 - n));
        }
        // Every line cuts off what was being said and is spoken in the background.
        QCOMPARE(f.speech.log,
            QStringList({ u"stop"_s, u"say line 1"_s, u"stop"_s, u"say line 2"_s, u"stop"_s,
                u"say line 3"_s }));
        f.speech.log.clear();

        f.clock.now = f.clock.now.addSecs(45);
        QCOMPARE(f.run.Start(), Outcome::Done);
        QCOMPARE(f.view.time, QStringLiteral("0' 45\""));
        QCOMPARE(f.view.rate, QStringLiteral("4 words/min"));
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say 4 words/min"_s, u"wait"_s }));
        QCOMPARE(f.view.display, QString());
        QVERIFY(!f.view.countVisible);
        QCOMPARE(f.run.state().CurrentIndex, 3);
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
        Fixture f(30);
        f.finishAfter(45);
        QCOMPARE(f.view.rate, QStringLiteral("40 words/min"));

        QCOMPARE(command(f.run), Outcome::Abandoned);
        QCOMPARE(f.view.display, QStringLiteral("Reset: [R] or [U]"));
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say Reset: [R] or [U]"_s, u"wait"_s }));
        QCOMPARE(f.view.time, QStringLiteral("0' 45\""));
        QCOMPARE(f.view.rate, QStringLiteral("40 words/min"));
        QCOMPARE(f.run.state().CurrentIndex, 30);
        QCOMPARE(f.run.state().Remaining, 0);
        QVERIFY(!f.view.countVisible);
    }

    void backAndRepeatMoveOnlyWithinTheRun()
    {
        Fixture f(10);
        QCOMPARE(f.run.Repeat(), Outcome::Done);
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.speech.log, QStringList());
        QCOMPARE(f.view.display, QString());

        f.startTimes(1);
        f.speech.log.clear();
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.view.display, QStringLiteral("line 1"));
        QCOMPARE(f.run.state().CurrentIndex, 1);
        QCOMPARE(f.speech.log, QStringList());

        f.startTimes(2);
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.view.display, QStringLiteral("line 2"));
        QCOMPARE(f.view.count, QStringLiteral("count 9"));
        QCOMPARE(f.run.state().Remaining, 8);

        f.speech.log.clear();
        QCOMPARE(f.run.Repeat(), Outcome::Done);
        QCOMPARE(f.speech.log, QStringList({ u"stop"_s, u"say line 2"_s }));
        QCOMPARE(f.view.count, QStringLiteral("count 9"));
        QCOMPARE(f.run.state().CurrentIndex, 2);
    }

    void startTimeIsTakenAsTheFirstLineIsShown()
    {
        Fixture f(2);
        f.startTimes(1);
        QCOMPARE(f.run.state().StartTime, QTime(9, 0, 0));
        f.clock.now = QTime(9, 0, 20);
        QCOMPARE(f.run.Back(), Outcome::Done);
        QCOMPARE(f.run.Start(), Outcome::Done);
        QCOMPARE(f.run.state().StartTime, QTime(9, 0, 0));

        // Reopening puts the run back at its beginning, so the next line retakes the time.
        f.run.Open();
        f.clock.now = QTime(9, 1, 0);
        f.startTimes(1);
        QCOMPARE(f.run.state().StartTime, QTime(9, 1, 0));
    }

    void zeroSecondsCannotBeRated()
    {
        Fixture f(2);
        f.startTimes(2);
        f.speech.log.clear();
        QCOMPARE(f.run.Start(), Outcome::Abandoned);
        QCOMPARE(f.view.time, QStringLiteral("0' 0\""));
        QCOMPARE(f.view.rate, QString());
        QCOMPARE(f.view.display, QStringLiteral("line 2"));
        QVERIFY(f.view.countVisible);
        QCOMPARE(f.speech.log, QStringList());

        f.clock.now = f.clock.now.addSecs(3);
        QCOMPARE(f.run.Start(), Outcome::Done);
        QCOMPARE(f.view.time, QStringLiteral("0' 3\""));
        QCOMPARE(f.view.rate, QStringLiteral("40 words/min"));
        QVERIFY(!f.view.countVisible);
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
        QFETCH(QString, time);
        QFETCH(QString, rate);
        Fixture f(30);
        f.clock.now = start;
        f.finishAfter(seconds);
        QCOMPARE(f.view.time, time);
        QCOMPARE(f.view.rate, rate);
    }

    void resetStartsOverOnReloadedLines()
    {
        Fixture f(3);
        f.finishAfter(60);
        f.files.files[DrillPath]
            = QStringList({ u"new 1"_s, u"new 2"_s, u"new 3"_s, u"added 4"_s });

        QCOMPARE(f.run.Reset(), Outcome::Done);
        QVERIFY(f.view.countVisible);
        QCOMPARE(f.view.count, QString());
        QCOMPARE(f.view.time, QString());
        QCOMPARE(f.view.rate, QString());
        QCOMPARE(f.view.display, QString());
        QCOMPARE(f.speech.log, QStringList());
        QCOMPARE(f.run.state().CurrentIndex, 0);
        QCOMPARE(f.run.state().Remaining, 3);

        f.clock.now = QTime(10, 0, 0);
        f.startTimes(3);
        QCOMPARE(f.view.display, QStringLiteral("new 3"));
        QCOMPARE(f.run.state().StartTime, QTime(10, 0, 0));
        // The run still covers the lines counted when the file was opened.
        f.clock.now = f.clock.now.addSecs(30);
        QCOMPARE(f.run.Start(), Outcome::Done);
        QVERIFY(!f.view.countVisible);
    }

    void resetOfAFileThatIsGoneChangesNothing()
    {
        Fixture f(3);
        f.finishAfter(60);
        f.files.failing.append(DrillPath);

        QCOMPARE(f.run.Reset(), Outcome::Abandoned);
        QCOMPARE(f.errors.messages.size(), 1);
        QVERIFY(!f.view.countVisible);
        QCOMPARE(f.view.rate, QStringLiteral("3 words/min"));
        QCOMPARE(f.run.state().CurrentIndex, 3);
    }

    void emptyFileFinishesOnlyWhenTheSecondTicks()
    {
        Fixture f(0);
        QCOMPARE(f.view.count, QStringLiteral("count 0"));
        QCOMPARE(f.run.Start(), Outcome::Abandoned);
        QCOMPARE(f.view.time, QStringLiteral("0' 0\""));
        QVERIFY(f.view.countVisible);
        QCOMPARE(f.run.state().CurrentIndex, 0);
    }
};

QTEST_GUILESS_MAIN(TestReadingRun)
#include "reading_run_test.moc"
