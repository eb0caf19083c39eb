#include "espeak_voices.h"
#include "flite_voices.h"
#include "pcm_checks.h"
#include "pcm_shaping.h"
#include "utterance_synthesizer.h"

#include <QRegularExpression>
#include <QTest>

#include <numeric>

#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;
using enum EnglishVoice;
using enum SpeechPace;

namespace {

const QString DrillLine = u"The quick brown fox jumps over the lazy dog."_s;

// Where the first sample louder than -40 dB re the peak is.
qsizetype firstSound(const QList<qint16>& samples)
{
    const int level = onsetLevel(peakOf(samples));
    for (qsizetype i = 0; i < samples.size(); ++i)
        if (std::abs(samples[i]) > level)
            return i;
    return samples.size();
}

// The voice's own audio of a line, before anything of ours touches it.
Pcm untrimmed(const QString& line, EnglishVoice voice)
{
    if (voice == Espeak)
        return EspeakVoices().render(line, EspeakVoices::Language::English, 1'000'000);
    Pcm pcm { {}, FliteVoices::SampleRate };
    FliteVoices().render(line.toLatin1(),
        voice == Female ? FliteVoices::Speaker::Female : FliteVoices::Speaker::Male, 1.0,
        [&](const qint16* samples, qsizetype count) {
            pcm.samples.append(QList<qint16>(samples, samples + count));
            return true;
        });
    return pcm;
}

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

// Drill lines rendered by the engines, in this process (the helper runs this same code), and
// their audio shaped: silence cut from the start, whole or in chunks, and moved between rates.
class TestUtteranceSynthesizer : public QObject {
    Q_OBJECT

    UtteranceSynthesizer m_synthesizer;

private slots:
    void initTestCase() { QCOMPARE(m_synthesizer.setupWarnings(), QStringList()); }
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); }

    // A huge line is cut at a space, and its speech at two minutes; reaching the cap is no
    // failure, so nothing is reported.
    void eachVoiceSpeaksALine_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::addColumn<QString>("line");
        QTest::addColumn<SpeechPace>("pace");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<double>("shortest");
        QTest::addColumn<double>("longest");
        const QString huge = u"word "_s.repeated(200'000);
        QTest::newRow("male") << Male << DrillLine << Normal << 16000 << 1.5 << 5.0;
        QTest::newRow("female") << Female << DrillLine << Normal << 16000 << 1.5 << 5.0;
        QTest::newRow("espeak-ng") << Espeak << DrillLine << Normal << 22050 << 1.5 << 5.0;
        QTest::newRow("Japanese") << Male << u"私はペンを持っています。"_s << Normal << 22050 << 1.0
                                  << 5.0;
        QTest::newRow("mixed") << Female << u"I have a pen. 私はペンを持っています。"_s << Normal
                               << 22050 << 2.0 << 7.0;
        QTest::newRow("accents are read by Flite")
            << Male << u"A naïve café."_s << Normal << 16000 << 0.5 << 4.0;
        QTest::newRow("what Flite cannot spell goes to espeak-ng")
            << Male << u"Привет"_s << Normal << 22050 << 0.3 << 4.0;
        QTest::newRow("the notice, brackets unread")
            << Male << u"Reset: [R] or [U]"_s << Normal << 16000 << 0.8 << 4.0;
        QTest::newRow("huge, by espeak-ng") << Espeak << huge << Slower << 22050 << 60.0 << 120.0;
        QTest::newRow("huge, by Flite") << Male << huge << Slower << 16000 << 60.0 << 120.0;
    }

    void eachVoiceSpeaksALine()
    {
        QFETCH(EnglishVoice, voice);
        QFETCH(QString, line);
        QFETCH(SpeechPace, pace);
        QFETCH(double, shortest);
        QFETCH(double, longest);
        const Pcm pcm = m_synthesizer.synthesize(line, voice, pace);
        QTEST(pcm.sampleRate, "sampleRate");
        QVERIFY(audible(pcm));
        QVERIFY2(seconds(pcm) > shortest && seconds(pcm) <= longest,
            qPrintable(QString::number(seconds(pcm))));
        // Flite alone starts with some 200 ms of silence.
        const double leadIn = double(firstSound(pcm.samples)) / pcm.sampleRate;
        QVERIFY2(leadIn < 0.015, qPrintable(QString::number(leadIn)));
    }

    // Lines that start softly, as each voice says them: what is heard is the voice's own
    // audio from 10 ms before its first sound above -40 dB re its peak (so nothing that loud is
    // lost), sample for sample after a 2 ms fade-in.
    void softOnsetsAreKept_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::addColumn<QString>("line");
        const QList<QPair<const char*, QString>> lines = {
            { "/h/", u"He reads the newspaper every evening after dinner."_s },
            { "/f/", u"Five friends found a fine farm far away."_s },
            { "/s/", u"Seven sisters sang softly at sunset."_s },
            { "/θ/", u"Thirty thousand thin threads were thrown."_s },
        };
        for (const auto& [sound, line] : lines) {
            QTest::addRow("male %s", sound) << Male << line;
            QTest::addRow("female %s", sound) << Female << line;
            QTest::addRow("espeak-ng %s", sound) << Espeak << line;
        }
    }

    void softOnsetsAreKept()
    {
        QFETCH(EnglishVoice, voice);
        QFETCH(QString, line);
        // Both engines make their noise (an /h/, an /s/) with the C library's generator: the
        // same seed renders the same samples.
        std::srand(1);
        const Pcm own = untrimmed(line, voice);
        std::srand(1);
        const Pcm heard = m_synthesizer.synthesize(line, voice);
        QCOMPARE(heard.sampleRate, own.sampleRate);
        const qsizetype preRoll = own.sampleRate * 10 / 1000;
        const qsizetype cut = own.samples.size() - heard.samples.size();
        const qsizetype expectedCut = std::max<qsizetype>(0, firstSound(own.samples) - preRoll);
        const qsizetype faded = cut > 0 ? own.sampleRate * 2 / 1000 : 0;
        if (voice == Espeak) {
            // espeak-ng carries state from one call to the next, so two renderings of a line
            // differ by a few samples: the cut is compared within a millisecond, and what is
            // heard starts its sound 10 ms in.
            QVERIFY2(std::abs(cut - expectedCut) <= own.sampleRate / 1000,
                qPrintable(u"cut %1, expected %2"_s.arg(cut).arg(expectedCut)));
            if (expectedCut > 0)
                QVERIFY(std::abs(firstSound(heard.samples) - preRoll) <= own.sampleRate / 1000);
        } else {
            QCOMPARE(cut, expectedCut);
            QVERIFY(heard.samples.mid(faded) == own.samples.mid(cut + faded));
        }
    }

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

    // The learner who picks the female voice hears a higher voice than the male one, and the
    // espeak-ng choice is espeak-ng's own English voice, British like the program always had.
    void eachChoiceIsTheVoiceItNames()
    {
        const double male = medianPitch(m_synthesizer.synthesize(DrillLine, Male));
        const double female = medianPitch(m_synthesizer.synthesize(DrillLine, Female));
        QVERIFY2(male > 70 && female > male * 1.3,
            qPrintable(u"male %1 Hz, female %2 Hz"_s.arg(male).arg(female)));
        // Also after a Japanese line, which switches espeak-ng to another voice.
        EspeakVoices espeak;
        QVERIFY(!espeak.phonemes(u"かな"_s, EspeakVoices::Language::Japanese).isEmpty());
        const QString dance = espeak.phonemes(u"dance"_s, EspeakVoices::Language::English);
        QVERIFY2(dance.contains(u"dˈans"_s), qPrintable(dance));
    }

    // One utterance at one rate, in the line's order, whichever script comes first: each part
    // as long as it is alone (English later in the line is streamed, in pieces).
    void mixedLineIsOneUtteranceInOrder()
    {
        const QString englishLine = u"Look at this long sentence, my friend."_s;
        const QString japaneseLine = u"ペンです。"_s;
        const double english = seconds(m_synthesizer.synthesize(englishLine, Male));
        const double japanese = seconds(m_synthesizer.synthesize(japaneseLine, Male));
        QVERIFY(english > 1.5 * japanese);
        const auto near = [&](double heard, double alone) {
            return qAbs(heard - alone) < (alone == english ? 0.15 : 0.3) * alone;
        };
        for (const bool englishFirst : { true, false }) {
            int sampleRate = 0;
            QList<double> pieces;
            m_synthesizer.render(
                englishFirst ? englishLine + u' ' + japaneseLine
                             : japaneseLine + u' ' + englishLine,
                Male, Normal, [&](int rate) { sampleRate = rate; },
                [&](const QList<qint16>& samples) {
                    pieces.append(double(samples.size()) / sampleRate);
                });
            QCOMPARE(sampleRate, 22050);
            QVERIFY(pieces.size() >= 2);
            const double first = pieces.takeFirst();
            const double later = std::accumulate(pieces.cbegin(), pieces.cend(), 0.0);
            const auto [firstAlone, laterAlone]
                = englishFirst ? std::pair(english, japanese) : std::pair(japanese, english);
            QVERIFY2(near(first, firstAlone) && near(later, laterAlone),
                qPrintable(u"%1 s then %2 s"_s.arg(first).arg(later)));
        }
    }

    void pausesAndSilenceSpeakNothing()
    {
        QVERIFY(m_synthesizer.synthesize(u" ... "_s, Male).isEmpty());
        QVERIFY(m_synthesizer.synthesize(QString(), Espeak).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUtteranceSynthesizer)
#include "utterance_synthesizer_test.moc"
