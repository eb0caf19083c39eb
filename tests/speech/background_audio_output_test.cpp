#include "background_audio_output.h"
#include "null_sink_recorder.h"
#include "speech_engine.h"
#include "voice.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

const QString kHelper = QStringLiteral(KELVARO_AUDIO_HELPER);

constexpr int kRate = NullSinkRecorder::kRate;

Pcm sound(int ms)
{
    return { QList<qint16>(kRate * ms / 1000, 10000), kRate };
}

// Renders every text as the same two seconds of loud sound, and counts what it rendered.
struct ToneEngine : SpeechEngine {
    Pcm synthesize(const QString&, EnglishVoice, SpeechPace) override
    {
        ++rendered;
        return sound(2000);
    }
    std::atomic<int> rendered = 0;
};

bool suspendSink(bool suspend)
{
    return QProcess::execute(
               u"pactl"_s, { u"suspend-sink"_s, u"null"_s, suspend ? u"1"_s : u"0"_s })
        == 0;
}

} // namespace

// Playing, cutting off and muting speech on the test server's null sink, checked by
// recording from its monitor what the sink actually played.
class TestBackgroundAudioOutput : public QObject {
    Q_OBJECT

    NullSinkRecorder m_recorder;

    // Records until the given milliseconds after the position have been heard.
    QList<bool> heardFor(qsizetype from, int milliseconds)
    {
        if (!m_recorder.waitForRecorded(from, milliseconds))
            qWarning("the recorder fell behind");
        return m_recorder.loudness(from).mid(0, milliseconds / 10);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(
            m_recorder.start(), "nothing recorded: run through ctest, which starts the server");
    }

    // Each line of a run cuts off the one before and is played whole, at once, without gaps;
    // the last one is shorter than the device's buffer.
    void playsEveryLineOfARunWhole()
    {
        BackgroundAudioOutput output(kHelper);
        const QList<int> run = QList<int>(6, 400) << 40;
        for (qsizetype line = 0; line < run.size(); ++line) {
            const qsizetype mark = m_recorder.now();
            output.stop();
            output.play(sound(run[line]));
            output.waitUntilPlayed();
            QVERIFY(!output.isBusy());
            QList<bool> heard = heardFor(mark, run[line] + 1500);
            const qsizetype start = heard.indexOf(true);
            heard = heard.mid(start, heard.lastIndexOf(true) - start + 1);
            const int loudMs = int(heard.count(true)) * 10, gapMs = int(heard.count(false)) * 10;
            QVERIFY2(start >= 0 && start <= 100
                    && std::abs(loudMs - run[line]) <= run[line] / 10 + 30 && gapMs <= 20,
                qPrintable(QString::asprintf("line %lld: %lld ms late, %d ms long, gaps %d ms",
                    line, start * 10, loudMs, gapMs)));
        }
    }

    void muteAndStopSilenceAtOnce()
    {
        BackgroundAudioOutput output(kHelper);
        output.play(sound(3000));
        output.play(sound(3000));
        QVERIFY(NullSinkRecorder::waitUntil([&] { return m_recorder.heardSince(0); }, 10000));
        output.setVolume(0.0);
        qsizetype mark = m_recorder.now();
        // What the device had already been given may still be heard for a moment.
        QVERIFY2(!heardFor(mark, 600).mid(25).contains(true), "muted at once");
        QVERIFY2(output.isBusy(), "muted, it goes on silently");
        output.setVolume(1.0);
        mark = m_recorder.now();
        QVERIFY(heardFor(mark, 600).contains(true));
        output.stop();
        mark = m_recorder.now();
        QVERIFY2(!heardFor(mark, 600).mid(25).contains(true), "stopped at once");
        QTRY_VERIFY2(!output.isBusy(), "the queue dropped too");
    }

    // Waiting for speech to be heard handles the waiting thread's events meanwhile (the
    // window decides what a key press may do then), and ends only once it has been played.
    void theWaitHandlesEventsAndEndsOnceHeard()
    {
        BackgroundAudioOutput output(kHelper);
        bool handled = false;
        QTimer::singleShot(100, this, [&] { handled = true; });
        QElapsedTimer waited;
        waited.start();
        output.play(sound(1000));
        output.waitUntilPlayed();
        QVERIFY(handled);
        QVERIFY2(
            waited.elapsed() >= 900, qPrintable(u"returned after %1 ms"_s.arg(waited.elapsed())));
        QVERIFY(!output.isBusy());
    }

    // A device that stops taking audio holds up neither the wait nor the next line for
    // longer than the stalled line's length and a margin.
    void aStalledDeviceHoldsUpNothingForLong()
    {
        QVERIFY(suspendSink(true));
        BackgroundAudioOutput output(kHelper);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stopped taking audio"_s));
        output.play(sound(500));
        QTimer rescue; // ends a hung wait, so that it is reported and the sink resumed
        rescue.setSingleShot(true);
        rescue.callOnTimeout([&] { output.stop(); });
        rescue.start(20000);
        output.waitUntilPlayed();
        const bool waitReturned = rescue.isActive();
        QTRY_VERIFY_WITH_TIMEOUT(!output.isBusy() || !rescue.isActive(), 20000);
        const bool gaveUp = rescue.isActive();
        QVERIFY(suspendSink(false));
        QVERIFY2(waitReturned, "the wait hung");
        QVERIFY2(gaveUp, "the stalled line held up the output");
        const qsizetype mark = m_recorder.now();
        output.play(sound(300));
        QVERIFY(NullSinkRecorder::waitUntil([&] { return m_recorder.heardSince(mark); }, 10000));
    }

    // Cut off as it starts, a line made ready ahead leaves nothing heard; cut off while it
    // plays, nothing more of it is heard.
    void purgeLeavesNothingOfAPrefetchedLine()
    {
        ToneEngine engine;
        BackgroundAudioOutput output(kHelper);
        Voice voice(engine, output);
        voice.prefetch({ u"ready"_s });
        QTRY_COMPARE(engine.rendered.load(), 1);
        qsizetype mark = m_recorder.now();
        voice.SayNow(u"ready"_s);
        voice.Speak(QString(), Voice::SVSFPurgeBeforeSpeak);
        QVERIFY2(!heardFor(mark, 2500).contains(true), "heard after the cut");
        QCOMPARE(engine.rendered.load(), 1);

        voice.SayNow(u"ready"_s);
        QVERIFY(NullSinkRecorder::waitUntil([&] { return m_recorder.heardSince(mark); }, 10000));
        voice.Speak(QString(), Voice::SVSFPurgeBeforeSpeak);
        mark = m_recorder.now();
        QVERIFY2(!heardFor(mark, 1500).mid(25).contains(true), "went on after the cut");
    }

    void withoutItsHelperStaysSilentAfterOneWarning()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"could not be started"_s));
        BackgroundAudioOutput output(u"/nonexistent/kelvaro-audio"_s);
        output.play(sound(500));
        QTRY_VERIFY(!output.isBusy());
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        output.play(sound(500));
        output.waitUntilPlayed();
        QVERIFY(!output.isBusy());
    }
};

QTEST_MAIN(TestBackgroundAudioOutput)
#include "background_audio_output_test.moc"
