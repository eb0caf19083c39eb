#include "sink_audio_output.h"

#include <QAudioDevice>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <algorithm>

using namespace Qt::StringLiterals;

// Playing, cutting off and muting speech on the test server's null sink, checked by
// recording from its monitor what the sink actually played.
class TestSinkAudioOutput : public QObject {
    Q_OBJECT

    static constexpr int kRate = 22050;
    QProcess m_recorder;
    QByteArray m_played;

    static Pcm sound(int ms) { return { QList<qint16>(kRate * ms / 1000, 10000), kRate }; }
    qsizetype now() const { return m_played.size(); }

    // For each 10 ms played from the mark on, once recorded, whether it was loud.
    QList<bool> heardSince(qsizetype mark) const
    {
        QTest::qWait(400);
        const auto* samples = reinterpret_cast<const qint16*>(m_played.constData());
        const int window = kRate / 100;
        QList<bool> loud;
        for (qsizetype at = mark / 2; at + window <= now() / 2; at += window)
            loud.append(std::any_of(samples + at, samples + at + window,
                [](qint16 sample) { return std::abs(sample) > 1000; }));
        return loud;
    }

private slots:
    void initTestCase()
    {
        connect(&m_recorder, &QProcess::readyReadStandardOutput, this,
            [this] { m_played += m_recorder.readAllStandardOutput(); });
        m_recorder.start(u"parecord"_s,
            { u"--device=null.monitor"_s, u"--raw"_s, u"--format=s16le"_s, u"--channels=1"_s,
                u"--rate=%1"_s.arg(kRate), u"--latency-msec=10"_s });
        // A null sink renders far ahead until a low-latency client such as the recorder
        // has been attached for a while; until then every new stream starts late.
        QTest::qWait(2000);
        QVERIFY2(now() > 0, "nothing recorded: run through ctest, which starts the audio server");
    }

    // Each line of a run opens a new stream and the window is busy a moment after starting it;
    // last come a line shorter than the device's buffer and one during which the window stalls
    // until the device runs dry and turns idle. Each must start at once and play out whole.
    void playsEveryLineOfARunWhole()
    {
        SinkAudioOutput output;
        const QList<int> run = QList<int>(8, 400) << 40 << 1000;
        for (qsizetype line = 0; line < run.size(); ++line) {
            const bool stalls = line == run.size() - 1;
            const qsizetype mark = now();
            output.stop();
            output.play(sound(run[line]));
            QThread::msleep(stalls ? 500 : 50);
            output.waitUntilPlayed();
            QVERIFY(!output.isBusy());
            QList<bool> heard = heardSince(mark);
            const qsizetype start = heard.indexOf(true);
            heard = heard.mid(start, heard.lastIndexOf(true) - start + 1);
            const int loudMs = int(heard.count(true)) * 10, gapMs = int(heard.count(false)) * 10;
            QVERIFY2(start <= 20 && std::abs(loudMs - run[line]) <= run[line] / 10 + 20
                    && (stalls || gapMs <= 10),
                qPrintable(QString::asprintf("line %lld: %lld ms late, %d ms long, gaps %d ms",
                    line, start * 10, loudMs, gapMs)));
        }
    }

    void muteAndStopSilenceAtOnce()
    {
        SinkAudioOutput output;
        output.play(sound(3000));
        output.play(sound(3000));
        QTRY_VERIFY(heardSince(now()).contains(true));
        output.setVolume(0.0);
        QTest::qWait(300);
        QVERIFY2(!heardSince(now()).contains(true) && output.isBusy(), "muted, goes on silently");
        output.setVolume(1.0);
        QVERIFY(heardSince(now()).contains(true));
        output.stop();
        QTest::qWait(300);
        QVERIFY2(!heardSince(now()).contains(true) && !output.isBusy(), "the queue dropped too");
    }

    void aStalledDeviceDoesNotHangTheWait()
    {
        QCOMPARE(QProcess::execute(u"pactl"_s, { u"suspend-sink"_s, u"null"_s, u"1"_s }), 0);
        SinkAudioOutput output;
        output.play(sound(500));
        QTimer rescue; // ends a hung wait, so that it is reported and the sink resumed
        rescue.setSingleShot(true);
        rescue.callOnTimeout(&output, &SinkAudioOutput::stop);
        rescue.start(10000);
        output.waitUntilPlayed();
        QCOMPARE(QProcess::execute(u"pactl"_s, { u"suspend-sink"_s, u"null"_s, u"0"_s }), 0);
        QVERIFY2(rescue.isActive(), "the wait hung");
    }

    void withoutAnAudioDeviceStaysSilentAfterOneWarning()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Speech needs"_s));
        SinkAudioOutput output { QAudioDevice() };
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        output.play(sound(500));
        QVERIFY(!output.isBusy());
        output.waitUntilPlayed();
    }
};

QTEST_MAIN(TestSinkAudioOutput)
#include "sink_audio_output_test.moc"
