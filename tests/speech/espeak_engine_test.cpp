#include "espeak_engine.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

// Rendering text with the installed espeak-ng voice, and staying silent without it.
class TestEspeakEngine : public QObject {
    Q_OBJECT

    static bool audible(const Pcm& pcm)
    {
        return std::ranges::any_of(pcm.samples, [](qint16 s) { return std::abs(s) > 1000; });
    }

private slots:
    void rendersSpeechThatGrowsWithTheTextUpToALimit()
    {
        EspeakEngine engine(QString(), std::chrono::seconds(10));
        const Pcm shortLine = engine.synthesize(u"The cat sat."_s, EnglishVoice::Espeak);
        const Pcm longLine = engine.synthesize(
            u"The cat sat on the mat and looked out of the window all afternoon."_s,
            EnglishVoice::Espeak);
        QVERIFY(audible(shortLine) && shortLine.samples.size() > engine.sampleRate() * 3 / 10);
        QVERIFY(longLine.samples.size() > 2 * shortLine.samples.size());
        // Drill lines may hold brackets, markup characters and more than ASCII.
        QVERIFY(audible(
            engine.synthesize(u"Reset: [R] or [U] <b> & naïve 日本"_s, EnglishVoice::Espeak)));
        // A huge line is cut, and nothing of it is left over to be spoken with the next one.
        const Pcm cut = engine.synthesize(u"word "_s.repeated(20000), EnglishVoice::Espeak);
        QCOMPARE(cut.samples.size(), 10 * engine.sampleRate());
        const qsizetype again
            = engine.synthesize(u"The cat sat."_s, EnglishVoice::Espeak).samples.size();
        QVERIFY(std::abs(again - shortLine.samples.size()) < engine.sampleRate() / 20);
    }

    // espeak-ng starts once per process: ctest runs this alone, pointed at no voice data.
    void withoutVoiceDataStaysSilentAfterOneWarning()
    {
        const QString dataPath = qEnvironmentVariable("KELVARO_TEST_ESPEAK_DATA");
        if (dataPath.isEmpty())
            QSKIP("run by ctest without voice data");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Speech is off"_s));
        EspeakEngine engine(dataPath);
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        QVERIFY(engine.synthesize(u"Hello there."_s, EnglishVoice::Espeak).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEspeakEngine)
#include "espeak_engine_test.moc"
