#include "pcm_checks.h"
#include "pcm_shaping.h"

#include <QTest>

#include <cmath>

namespace {

QList<qint16> silence(qsizetype count)
{
    return QList<qint16>(count, qint16(10));
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
        LeadingSilenceTrimmer trimmer(160);
        QList<qint16> output;
        for (qsizetype start = 0; start < input.size(); start += chunk)
            output += trimmer.feed(input.constData() + start, qMin(chunk, input.size() - start));
        // 160 samples of the silence before the first sound, and everything after it.
        QCOMPARE(output, input.mid(3000 - 160));
    }

    void silenceThroughoutBecomesNothing()
    {
        Pcm pcm { silence(5000), 16000 };
        trimLeadingSilence(pcm, std::chrono::milliseconds(10));
        QVERIFY(pcm.isEmpty());
        Pcm shortSilence { silence(50) + tone(100), 16000 };
        trimLeadingSilence(shortSilence, std::chrono::milliseconds(10));
        QCOMPARE(shortSilence.samples.size(), 150); // less than 10 ms: nothing to cut
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
