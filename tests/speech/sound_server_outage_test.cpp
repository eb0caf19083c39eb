#include "background_audio_output.h"
#include "null_sink_recorder.h"
#include "speech_engine.h"
#include "voice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
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
// answers throughout, and speech comes back once the server does.
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
    void initTestCase()
    {
        if (m_serverDir.isEmpty())
            QSKIP("run by ctest, which starts the test audio server");
        QVERIFY(serverPid() > 0);
        QVERIFY(m_recorder.start());
    }

    // Stopped for 40 s, the server hangs past any time-out of its own; killed and started
    // again, it loses every connection. Each is said once, naming what happened, and speech
    // comes back after each.
    void stoppedForFortySecondsThenKilledAndRestarted()
    {
        BackgroundAudioOutput output(kHelper);
        Voice voice(m_engine, output);
        QVERIFY2(speechComesBack(voice), "no speech to begin with");
        QTest::failOnWarning(QRegularExpression(u".*"_s));

        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(u"^Speech is silent: the sound server does not answer\\.$"_s));
        const pid_t server = serverPid();
        QCOMPARE(::kill(server, SIGSTOP), 0);
        qint64 stall = longestStallWhileSpeaking(voice, 40000);
        // Nothing waits for a server that does not answer: a line is dropped at once.
        output.play(m_engine.synthesize(u"late"_s, EnglishVoice::Male, SpeechPace::Normal));
        const bool settled = NullSinkRecorder::waitUntil([&] { return !output.isBusy(); }, 1000);
        QCOMPARE(::kill(server, SIGCONT), 0);
        QVERIFY2(settled, "a line waited for the hung server");
        QVERIFY(m_recorder.start());
        QVERIFY2(stall < 1000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY2(speechComesBack(voice), "no speech after the server went on");

        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression(u"^Speech is silent: the sound server went away"_s));
        QCOMPARE(::kill(serverPid(), SIGKILL), 0);
        // Started again some seconds later, as a crashed server is by its session.
        stall = longestStallWhileSpeaking(voice, 8000);
        QCOMPARE(
            QProcess::execute(QStringLiteral(KELVARO_PULSE_FIXTURE), { u"start"_s, m_serverDir }),
            0);
        QVERIFY2(stall < 1000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY(m_recorder.start());
        QVERIFY2(speechComesBack(voice), "no speech after the server came back");
    }
};

QTEST_MAIN(TestSoundServerOutage)
#include "sound_server_outage_test.moc"
