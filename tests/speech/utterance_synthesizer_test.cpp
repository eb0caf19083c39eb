#include "espeak_voices.h"
#include "flite_voices.h"
#include "pcm_checks.h"
#include "pcm_shaping.h"
#include "utterance_synthesizer.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

const QString DrillLine = u"The quick brown fox jumps over the lazy dog."_s;

// Where the first sample louder than -40 dB re the peak is.
qsizetype firstSound(const QList<qint16>& samples)
{
    const int level = onsetLevel(peakOf(samples));
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > level)
            return i;
    }
    return samples.size();
}

// How long the first sound comes after the start.
double leadIn(const Pcm& pcm)
{
    return double(firstSound(pcm.samples)) / pcm.sampleRate;
}

// The voice's own audio of a line, before anything of ours touches it.
Pcm untrimmed(const QString& line, EnglishVoice voice)
{
    if (voice == EnglishVoice::Espeak)
        return EspeakVoices().render(line, EspeakVoices::Language::English, 1'000'000);
    Pcm pcm { {}, FliteVoices::SampleRate };
    FliteVoices().render(line.toLatin1(),
        voice == EnglishVoice::Female ? FliteVoices::Speaker::Female : FliteVoices::Speaker::Male,
        1.0, [&](const qint16* samples, qsizetype count) {
            pcm.samples.append(QList<qint16>(samples, samples + count));
            return true;
        });
    return pcm;
}

} // namespace

// Drill lines rendered by the engines, in this process (the helper runs this same code).
class TestUtteranceSynthesizer : public QObject {
    Q_OBJECT

    UtteranceSynthesizer m_synthesizer;

private slots:
    void initTestCase() { QCOMPARE(m_synthesizer.setupWarnings(), QStringList()); }

    void eachVoiceSpeaksADrillLine_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<double>("shortest");
        QTest::addColumn<double>("longest");
        QTest::newRow("male") << EnglishVoice::Male << DrillLine << 16000 << 1.5 << 5.0;
        QTest::newRow("female") << EnglishVoice::Female << DrillLine << 16000 << 1.5 << 5.0;
        QTest::newRow("espeak-ng") << EnglishVoice::Espeak << DrillLine << 22050 << 1.5 << 5.0;
        QTest::newRow("Japanese") << EnglishVoice::Male << u"私はペンを持っています。"_s << 22050
                                  << 1.0 << 5.0;
        QTest::newRow("mixed") << EnglishVoice::Female
                               << u"I have a pen. 私はペンを持っています。"_s << 22050 << 2.0
                               << 7.0;
        QTest::newRow("accents are read by Flite")
            << EnglishVoice::Male << u"A naïve café."_s << 16000 << 0.5 << 4.0;
        QTest::newRow("what Flite cannot spell goes to espeak-ng")
            << EnglishVoice::Male << u"Привет"_s << 22050 << 0.3 << 4.0;
        QTest::newRow("the notice, brackets unread")
            << EnglishVoice::Male << u"Reset: [R] or [U]"_s << 16000 << 0.8 << 4.0;
    }

    void eachVoiceSpeaksADrillLine()
    {
        QFETCH(EnglishVoice, voice);
        QFETCH(QString, line);
        QFETCH(double, shortest);
        QFETCH(double, longest);
        const Pcm pcm = m_synthesizer.synthesize(line, voice);
        QTEST(pcm.sampleRate, "sampleRate");
        QVERIFY(audible(pcm));
        QVERIFY2(seconds(pcm) > shortest && seconds(pcm) < longest,
            qPrintable(QString::number(seconds(pcm))));
        // Flite alone starts with some 200 ms of silence.
        QVERIFY2(leadIn(pcm) < 0.015, qPrintable(QString::number(leadIn(pcm))));
    }

    // Lines that start softly, as each voice says them: what is heard is the voice's own
    // audio from 10 ms before its first sound above -40 dB re its peak, sample for sample
    // after a 2 ms fade-in, and nothing that loud is lost before the cut.
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
            QTest::addRow("male %s", sound) << EnglishVoice::Male << line;
            QTest::addRow("female %s", sound) << EnglishVoice::Female << line;
            QTest::addRow("espeak-ng %s", sound) << EnglishVoice::Espeak << line;
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
        if (voice == EnglishVoice::Espeak) {
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
        const int lost = peakOf(own.samples.first(cut + faded));
        QVERIFY2(lost <= onsetLevel(peakOf(own.samples)),
            qPrintable(
                u"lost a sample of %1 against a peak of %2"_s.arg(lost).arg(peakOf(own.samples))));
    }

    // Slower is measurably longer and faster shorter, for each engine, Japanese included.
    void paceChangesTheLength_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::addColumn<QString>("line");
        QTest::newRow("Flite male") << EnglishVoice::Male << DrillLine;
        QTest::newRow("Flite female") << EnglishVoice::Female << DrillLine;
        QTest::newRow("espeak-ng") << EnglishVoice::Espeak << DrillLine;
        QTest::newRow("espeak-ng Japanese")
            << EnglishVoice::Male << u"私は毎朝七時に起きて、駅まで歩きます。"_s;
    }

    void paceChangesTheLength()
    {
        QFETCH(EnglishVoice, voice);
        QFETCH(QString, line);
        const double normal = seconds(m_synthesizer.synthesize(line, voice, SpeechPace::Normal));
        const double slower = seconds(m_synthesizer.synthesize(line, voice, SpeechPace::Slower));
        const double faster = seconds(m_synthesizer.synthesize(line, voice, SpeechPace::Faster));
        QVERIFY2(slower > 1.2 * normal && faster < 0.88 * normal,
            qPrintable(
                u"slower %1 s, normal %2 s, faster %3 s"_s.arg(slower).arg(normal).arg(faster)));
        // Back to the normal pace after the others, every time.
        const double again = seconds(m_synthesizer.synthesize(line, voice, SpeechPace::Normal));
        QVERIFY2(std::abs(again - normal) < 0.01 * normal, qPrintable(QString::number(again)));
    }

    // The learner who picks the female voice hears a higher voice than the male one, and the
    // espeak-ng choice is espeak-ng's own English voice, British like the program always had.
    void eachChoiceIsTheVoiceItNames()
    {
        const double male = medianPitch(m_synthesizer.synthesize(DrillLine, EnglishVoice::Male));
        const double female
            = medianPitch(m_synthesizer.synthesize(DrillLine, EnglishVoice::Female));
        QVERIFY2(male > 70 && female > male * 1.3,
            qPrintable(u"male %1 Hz, female %2 Hz"_s.arg(male).arg(female)));
        // Also after a Japanese line, which switches espeak-ng to another voice.
        EspeakVoices espeak;
        QVERIFY(!espeak.phonemes(u"かな"_s, EspeakVoices::Language::Japanese).isEmpty());
        const QString dance = espeak.phonemes(u"dance"_s, EspeakVoices::Language::English);
        QVERIFY2(dance.contains(u"dˈans"_s), qPrintable(dance));
    }

    // One utterance at one rate, in the line's order: first as long as the English alone,
    // then as long as the Japanese alone.
    void mixedLineIsOneUtteranceInOrder()
    {
        const double english = seconds(m_synthesizer.synthesize(
            u"Look at this long sentence, my friend."_s, EnglishVoice::Male));
        const double japanese
            = seconds(m_synthesizer.synthesize(u"ペンです。"_s, EnglishVoice::Male));
        QVERIFY(english > 1.5 * japanese);
        int sampleRate = 0;
        QList<double> pieces;
        m_synthesizer.render(
            u"Look at this long sentence, my friend. ペンです。"_s, EnglishVoice::Male,
            SpeechPace::Normal, [&](int rate) { sampleRate = rate; },
            [&](const QList<qint16>& samples) {
                pieces.append(double(samples.size()) / sampleRate);
            });
        QCOMPARE(sampleRate, 22050);
        QCOMPARE(pieces.size(), 2);
        QVERIFY2(
            qAbs(pieces[0] - english) < 0.15 * english, qPrintable(QString::number(pieces[0])));
        QVERIFY2(
            qAbs(pieces[1] - japanese) < 0.3 * japanese, qPrintable(QString::number(pieces[1])));
    }

    // A huge line is cut at a space, and its speech at two minutes, by either engine; reaching
    // the cap is no failure, so nothing is reported.
    void hugeLineIsCut_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::newRow("espeak-ng") << EnglishVoice::Espeak;
        QTest::newRow("Flite") << EnglishVoice::Male;
    }

    void hugeLineIsCut()
    {
        QFETCH(EnglishVoice, voice);
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        const Pcm pcm
            = m_synthesizer.synthesize(u"word "_s.repeated(200'000), voice, SpeechPace::Slower);
        QVERIFY(audible(pcm));
        QVERIFY2(
            seconds(pcm) > 60 && seconds(pcm) <= 120.0, qPrintable(QString::number(seconds(pcm))));
    }

    void pausesAndSilenceSpeakNothing()
    {
        QVERIFY(m_synthesizer.synthesize(u" ... "_s, EnglishVoice::Male).isEmpty());
        QVERIFY(m_synthesizer.synthesize(QString(), EnglishVoice::Espeak).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUtteranceSynthesizer)
#include "utterance_synthesizer_test.moc"
