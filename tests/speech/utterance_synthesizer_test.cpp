#include "espeak_voices.h"
#include "pcm_checks.h"
#include "pcm_shaping.h"
#include "utterance_synthesizer.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString DrillLine = u"The quick brown fox jumps over the lazy dog."_s;

// How long the first sound comes after the start.
double leadIn(const Pcm& pcm)
{
    for (qsizetype i = 0; i < pcm.samples.size(); ++i) {
        if (std::abs(pcm.samples[i]) > SilenceLevel)
            return double(i) / pcm.sampleRate;
    }
    return seconds(pcm);
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
            [&](int rate) { sampleRate = rate; },
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

    // A huge line is cut at a space, and its speech at two minutes.
    void hugeLineIsCut()
    {
        const Pcm pcm
            = m_synthesizer.synthesize(u"word "_s.repeated(200'000), EnglishVoice::Espeak);
        QVERIFY(audible(pcm));
        QVERIFY2(
            seconds(pcm) > 60 && seconds(pcm) <= 120.0, qPrintable(QString::number(seconds(pcm))));
    }

    void pausesAndSilenceSpeakNothing()
    {
        QVERIFY(m_synthesizer.synthesize(u" ... "_s, EnglishVoice::Male).isEmpty());
        QVERIFY(m_synthesizer.synthesize(QString(), EnglishVoice::Espeak).isEmpty());
    }

    // The lines that abort espeak-ng 1.51 when given to it whole.
    void crashingLinesRender_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<EnglishVoice>("voice");
        const QString japanese
            = u"Q.今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます友達と"
              u"一緒に勉強しました先生はとても親切で優しい人です"_s;
        QTest::newRow("letter, full stop, long Japanese") << japanese << EnglishVoice::Male;
        QTest::newRow("the same with espeak-ng") << japanese << EnglishVoice::Espeak;
        QTest::newRow("s' 220 times") << u"s'"_s.repeated(220) << EnglishVoice::Espeak;
        QTest::newRow("s' 220 times by Flite") << u"s'"_s.repeated(220) << EnglishVoice::Male;
    }

    void crashingLinesRender()
    {
        QFETCH(QString, line);
        QFETCH(EnglishVoice, voice);
        QVERIFY(audible(m_synthesizer.synthesize(line, voice)));
    }
};

QTEST_GUILESS_MAIN(TestUtteranceSynthesizer)
#include "utterance_synthesizer_test.moc"
