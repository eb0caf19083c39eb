#include "background_audio_output.h"
#include "null_sink_recorder.h"
#include "speech_engine.h"
#include "voice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

const QString kHelper = QStringLiteral(KELVARO_AUDIO_HELPER);

// Renders every text as a third of a second of loud sound.
struct ToneEngine : SpeechEngine {
    Pcm synthesize(const QString&, EnglishVoice, SpeechPace) override
    {
        return { QList<qint16>(NullSinkRecorder::kRate / 3, 10000), NullSinkRecorder::kRate };
    }
};

} // namespace

// The test audio server hangs or dies while lines are spoken: the speaking thread's event loop
// answers throughout, and speech comes back once the server does. Each case runs as a CTest
// entry of its own (see CMakeLists.txt): the hang must outlast the server's stream timeout.
class TestSoundServerOutage : public QObject {
    Q_OBJECT

    const QString m_serverDir = qEnvironmentVariable("KELVARO_TEST_PULSE_DIR");
    NullSinkRecorder m_recorder;
    ToneEngine m_engine;

    pid_t serverPid() const
    {
        QFile file(m_serverDir + u"/runtime/pulse/pid"_s);
        return file.open(QIODevice::ReadOnly) ? pid_t(file.readAll().trimmed().toInt()) : 0;
    }

    // Says a line every 300 ms for the given time while a timer on this thread notes the
    // longest the thread went without answering.
    static qint64 longestStallWhileSpeaking(Voice& voice, int milliseconds)
    {
        QElapsedTimer sinceTick, total;
        qint64 longest = 0;
        QTimer ticks;
        ticks.callOnTimeout([&] { longest = std::max(longest, sinceTick.restart()); });
        sinceTick.start();
        total.start();
        ticks.start(10);
        int line = 0;
        while (total.elapsed() < milliseconds) {
            voice.SayNow(u"line %1"_s.arg(++line));
            QTest::qWait(300);
        }
        return longest;
    }

    // Speech comes back: a line said every half second is heard again in time.
    bool speechComesBack(Voice& voice)
    {
        const qsizetype mark = m_recorder.now();
        return NullSinkRecorder::waitUntil(
            [&] {
                voice.SayNow(u"again"_s);
                QTest::qWait(500);
                return m_recorder.heardSince(mark);
            },
            90000);
    }

private slots:
    void init()
    {
        if (m_serverDir.isEmpty())
            QSKIP("run by ctest, which starts the test audio server");
        QVERIFY(serverPid() > 0);
        QVERIFY(m_recorder.start());
        // The learner is told once, not once a line.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Speech is silent"_s));
        QTest::failOnWarning(QRegularExpression(u".*"_s));
    }

    void stoppedForFortySecondsThenContinued()
    {
        BackgroundAudioOutput output(kHelper);
        Voice voice(m_engine, output);
        const qsizetype mark = m_recorder.now();
        voice.SayNow(u"before"_s);
        QVERIFY(NullSinkRecorder::waitUntil([&] { return m_recorder.heardSince(mark); }, 10000));

        const pid_t server = serverPid();
        QCOMPARE(::kill(server, SIGSTOP), 0);
        const qint64 stall = longestStallWhileSpeaking(voice, 40000);
        QCOMPARE(::kill(server, SIGCONT), 0);

        QVERIFY2(stall < 2000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY(m_recorder.start());
        QVERIFY2(speechComesBack(voice), "no speech after the server went on");
    }

    void killedAndRestartedTenSecondsLater()
    {
        BackgroundAudioOutput output(kHelper);
        Voice voice(m_engine, output);
        QCOMPARE(::kill(serverPid(), SIGKILL), 0);
        const qint64 stall = longestStallWhileSpeaking(voice, 10000);
        QCOMPARE(
            QProcess::execute(QStringLiteral(KELVARO_PULSE_FIXTURE), { u"start"_s, m_serverDir }),
            0);
        QVERIFY2(stall < 2000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY(m_recorder.start());
        QVERIFY2(speechComesBack(voice), "no speech after the server came back");
    }
};

QTEST_MAIN(TestSoundServerOutage)
#include "sound_server_outage_test.moc"
