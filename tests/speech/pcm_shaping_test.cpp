#include "pcm_checks.h"
#include "pcm_shaping.h"

#include <QTest>

#include <cmath>

namespace {

// Quiet, but never one value throughout: what is kept of it shows which part was kept.
QList<qint16> silence(qsizetype count)
{
    QList<qint16> samples;
    for (qsizetype i = 0; i < count; ++i)
        samples.append(qint16(i % 21 - 10));
    return samples;
}

QList<qint16> tone(qsizetype count, int sampleRate = 16000)
{
    QList<qint16> samples;
    for (qsizetype i = 0; i < count; ++i)
        samples.append(qint16(8000 * std::cos(2 * M_PI * 440 * double(i) / sampleRate)));
    return samples;
}

} // namespace

// Silence cut from the start of speech, whole or in chunks, and audio moved between rates.
class TestPcmShaping : public QObject {
    Q_OBJECT

private slots:
    // The same audio cut into chunks of different sizes keeps the same samples.
    void trimsAcrossChunks_data()
    {
        QTest::addColumn<qsizetype>("chunk");
        QTest::newRow("whole") << qsizetype(100000);
        QTest::newRow("chunks longer than what is kept") << qsizetype(500);
        QTest::newRow("chunks shorter than what is kept") << qsizetype(37);
        QTest::newRow("one sample at a time") << qsizetype(1);
    }

    void trimsAcrossChunks()
    {
        QFETCH(qsizetype, chunk);
        const QList<qint16> input = silence(3000) + tone(2000) + silence(500) + tone(100);
        LeadingSilenceTrimmer trimmer(160, 330);
        QList<qint16> output;
        for (qsizetype start = 0; start < input.size(); start += chunk)
            output += trimmer.feed(input.constData() + start, qMin(chunk, input.size() - start));
        // 160 samples of the silence before the first sound, and everything after it.
        QCOMPARE(output, input.mid(3000 - 160));
    }

    // The start is judged against the peak: a murmur 45 dB down is silence before a loud
    // line. What is kept starts 10 ms before the first sound, the first 2 ms of it fading in.
    void onsetIsJudgedAgainstThePeak()
    {
        QList<qint16> murmur; // 100 ms, at most 44: 45 dB below the tone's 8000
        for (const qint16 sample : tone(1600))
            murmur.append(qint16(sample / 180));
        Pcm loud { QList<qint16>(800, 0) + murmur + tone(1600), 16000 };
        trimOnset(loud);
        QCOMPARE(loud.samples.size(), 160 + 1600);
        QCOMPARE(loud.samples.mid(32), murmur.mid(1600 - 128) + tone(1600));
        for (qsizetype i = 0; i < 32; ++i)
            QVERIFY(std::abs(loud.samples[i]) <= std::abs(murmur[1600 - 160 + i]));
        // The fade rises from silence to the murmur as it was.
        QCOMPARE(loud.samples[0], qint16(0));
        QVERIFY(std::abs(loud.samples[31] - murmur[1600 - 160 + 31]) <= 1);
    }

    void silenceThroughoutBecomesNothing()
    {
        Pcm murmur { silence(5000) + QList<qint16> { 300, -330, 200 }, 16000 };
        trimOnset(murmur);
        QVERIFY(murmur.isEmpty());
        Pcm soon { silence(50) + tone(100), 16000 };
        trimOnset(soon);
        QCOMPARE(soon.samples, silence(50) + tone(100)); // less than 10 ms: nothing cut or faded
    }

    void resamplesKeepingLengthAndSound()
    {
        const Pcm flite { tone(16000), 16000 };
        const Pcm moved = resampled(flite, 22050);
        QCOMPARE(moved.sampleRate, 22050);
        QVERIFY(std::abs(moved.samples.size() - 22050) < 50);
        QVERIFY(audible(moved));
        QCOMPARE(resampled(flite, 16000).samples, flite.samples);
        QVERIFY(resampled(Pcm { {}, 16000 }, 22050).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPcmShaping)
#include "pcm_shaping_test.moc"
