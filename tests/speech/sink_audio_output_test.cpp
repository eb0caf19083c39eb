#include "sink_audio_output.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr int kRate = 22050;
constexpr int kBytesPerMs = kRate * 2 / 1000;

Pcm tone(int milliseconds)
{
    Pcm pcm;
    pcm.sampleRate = kRate;
    const int count = kRate * milliseconds / 1000;
    pcm.samples.reserve(count);
    for (int i = 0; i < count; ++i)
        pcm.samples.append(qint16(10000 * std::sin(2 * M_PI * 440 * i / kRate)));
    return pcm;
}

// What the test server's null sink plays, recorded from its monitor as it is heard.
class MonitorCapture {
public:
    bool start()
    {
        m_recorder.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput,
            [this] { m_audio += m_recorder.readAllStandardOutput(); });
        m_recorder.start(QStringLiteral("parecord"),
            { QStringLiteral("--device=null.monitor"), QStringLiteral("--raw"),
                QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--latency-msec=10") });
        return m_recorder.waitForStarted();
    }

    ~MonitorCapture()
    {
        m_recorder.kill();
        m_recorder.waitForFinished();
    }

    qsizetype now() const { return m_audio.size(); }

    // Milliseconds of sound (in 10 ms windows) heard from the mark on, or only after skipMs.
    int loudMilliseconds(qsizetype mark, int skipMs = 0) const
    {
        const QList<bool> windows = loudWindows(mark + qsizetype(skipMs) * kBytesPerMs);
        return int(windows.count(true)) * 10;
    }

    // Milliseconds of silence (in 10 ms windows) between the first and the last sound heard
    // from the mark on: a sound that breaks up has gaps.
    int gapMilliseconds(qsizetype mark) const
    {
        const QList<bool> windows = loudWindows(mark);
        const qsizetype first = windows.indexOf(true);
        const qsizetype last = windows.lastIndexOf(true);
        return first < 0 ? 0 : int(windows.mid(first, last - first).count(false)) * 10;
    }

private:
    QList<bool> loudWindows(qsizetype mark) const
    {
        const auto* samples = reinterpret_cast<const qint16*>(m_audio.constData());
        const qsizetype end = m_audio.size() / 2;
        const int window = kRate / 100;
        QList<bool> loud;
        for (qsizetype at = mark / 2; at + window <= end; at += window) {
            double energy = 0;
            for (int i = 0; i < window; ++i)
                energy += double(samples[at + i]) * samples[at + i];
            loud.append(std::sqrt(energy / window) > 1000);
        }
        return loud;
    }

    QProcess m_recorder;
    QByteArray m_audio;
};

} // namespace

// Playing, queueing, cutting off and muting speech on a PulseAudio null sink, checked by
// recording what the sink actually played.
class TestSinkAudioOutput : public QObject {
    Q_OBJECT

    MonitorCapture m_capture;

    // Gives the recording time to catch up with what has been played.
    void settle() { QTest::qWait(400); }

private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariableIsEmpty("PULSE_SERVER"),
            "run through ctest, which starts the test audio server");
        QVERIFY(m_capture.start());
        QTRY_VERIFY(m_capture.now() > 0);
        // A null sink renders far ahead until a low-latency client such as the recorder
        // has been attached for a while; until then every new stream starts late.
        QTest::qWait(2000);
    }

    void playsTheWholeLineBeforeTheWaitEnds()
    {
        SinkAudioOutput output;
        QVERIFY(output.isAvailable());
        QSignalSpy firstFrames(&output, &SinkAudioOutput::firstFrameWritten);
        bool timerRan = false;
        const qsizetype mark = m_capture.now();

        output.play(tone(1000));
        QCOMPARE(firstFrames.count(), 1);
        QTimer::singleShot(100, [&timerRan] { timerRan = true; });
        QElapsedTimer waited;
        waited.start();
        output.waitUntilPlayed();
        const qint64 waitedMs = waited.elapsed();

        QVERIFY(!output.isBusy());
        QVERIFY2(timerRan, "the window's events must go on while speech is awaited");
        QVERIFY2(waitedMs >= 900, qPrintable(QString::number(waitedMs)));
        settle();
        const int heard = m_capture.loudMilliseconds(mark);
        QVERIFY2(heard >= 900 && heard <= 1100, qPrintable(QString::number(heard)));
    }

    // Each line starts a new stream; the window may be busy for a moment after each one
    // (rendering the next line, painting it) without the sound breaking up.
    void playsEveryLineOfALongRunWithoutBreakingUp()
    {
        SinkAudioOutput output;
        for (int line = 0; line < 10; ++line) {
            const qsizetype mark = m_capture.now();
            output.stop();
            output.play(tone(400));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            output.waitUntilPlayed();
            settle();
            const int heard = m_capture.loudMilliseconds(mark);
            const int gaps = m_capture.gapMilliseconds(mark);
            QVERIFY2(heard >= 330 && heard <= 470 && gaps <= 10,
                qPrintable(
                    QStringLiteral("line %1: %2 ms, gaps %3 ms").arg(line).arg(heard).arg(gaps)));
        }
    }

    void aStalledWindowDoesNotCutTheLineShort()
    {
        SinkAudioOutput output;
        const qsizetype mark = m_capture.now();
        output.play(tone(1000));
        QTest::qWait(200);
        // Longer than the device's buffer: it runs dry and turns idle mid-line.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        output.waitUntilPlayed();
        settle();
        const int heard = m_capture.loudMilliseconds(mark);
        QVERIFY2(heard >= 900 && heard <= 1100, qPrintable(QString::number(heard)));
    }

    void queuesAfterWhatIsPlayingAndPlaysShortSounds()
    {
        SinkAudioOutput output;
        const qsizetype mark = m_capture.now();
        output.play(tone(500));
        output.play(tone(30));
        output.play(tone(500));
        output.waitUntilPlayed();
        QVERIFY(!output.isBusy());
        settle();
        const int heard = m_capture.loudMilliseconds(mark);
        QVERIFY2(heard >= 950 && heard <= 1150, qPrintable(QString::number(heard)));
    }

    void stopCutsOffAndDropsTheQueue()
    {
        SinkAudioOutput output;
        const qsizetype mark = m_capture.now();
        output.play(tone(3000));
        output.play(tone(3000));
        QTRY_VERIFY(m_capture.loudMilliseconds(mark) > 0);

        output.stop();
        QVERIFY(!output.isBusy());
        const qsizetype stoppedAt = m_capture.now();
        output.waitUntilPlayed();
        QTest::qWait(1500);
        QCOMPARE(m_capture.loudMilliseconds(stoppedAt, 300), 0);
        QVERIFY(m_capture.loudMilliseconds(mark) < 1500);
    }

    void volumeZeroSilencesWhatPlaysAndWhatComes()
    {
        SinkAudioOutput output;
        qsizetype mark = m_capture.now();
        output.play(tone(3000));
        QTRY_VERIFY(m_capture.loudMilliseconds(mark) > 0);

        output.setVolume(0.0);
        mark = m_capture.now();
        QTest::qWait(800);
        QVERIFY2(output.isBusy(), "muted speech goes on playing silently");
        QCOMPARE(m_capture.loudMilliseconds(mark, 300), 0);

        output.stop();
        mark = m_capture.now();
        output.play(tone(500));
        output.waitUntilPlayed();
        settle();
        QCOMPARE(m_capture.loudMilliseconds(mark), 0);

        output.setVolume(1.0);
        mark = m_capture.now();
        output.play(tone(500));
        output.waitUntilPlayed();
        settle();
        QVERIFY(m_capture.loudMilliseconds(mark) >= 400);
    }

    void silenceForExitStopsAllSound()
    {
        SinkAudioOutput output;
        const qsizetype mark = m_capture.now();
        output.play(tone(3000));
        QTRY_VERIFY(m_capture.loudMilliseconds(mark) > 0);

        output.silenceForExit();
        const qsizetype silencedAt = m_capture.now();
        output.play(tone(1000));
        output.waitUntilPlayed();
        QTest::qWait(800);
        QCOMPARE(m_capture.loudMilliseconds(silencedAt, 300), 0);
    }

    void aStalledDeviceDoesNotHangTheWait()
    {
        const auto suspendSink = [](const char* suspend) {
            return QProcess::execute(QStringLiteral("pactl"),
                { QStringLiteral("suspend-sink"), QStringLiteral("null"),
                    QString::fromLatin1(suspend) });
        };
        QCOMPARE(suspendSink("1"), 0);
        SinkAudioOutput output;
        output.play(tone(500));
        QElapsedTimer waited;
        waited.start();
        output.waitUntilPlayed();
        const qint64 waitedMs = waited.elapsed();
        QCOMPARE(suspendSink("0"), 0);
        QVERIFY2(waitedMs < 3000, qPrintable(QString::number(waitedMs)));
    }

    void withoutAnAudioDeviceStaysSilentAfterOneWarning()
    {
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(QStringLiteral("^Speech needs a running audio service")));
        SinkAudioOutput output { QAudioDevice() };
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QVERIFY(!output.isAvailable());
        output.play(tone(500));
        QVERIFY(!output.isBusy());
        output.waitUntilPlayed();
        output.stop();
        output.setVolume(0.5);
    }
};

QTEST_MAIN(TestSinkAudioOutput)
#include "sink_audio_output_test.moc"
