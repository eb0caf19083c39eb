#include "recording_speech.h"
#include "voice.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Way = void (Voice::*)(const QString&);

// What the voice asks of its engine and audio output for each way of speaking, what it renders
// ahead, and that nothing stale or cut off is ever played.
class TestVoice : public QObject {
    Q_OBJECT

private slots:
    void speakingWays_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("blocks");
        QTest::newRow("say now") << &Voice::SayNow << u"one"_s << u"stop, say one"_s << false;
        QTest::newRow("say and wait")
            << &Voice::SayAndWait << u"40 words/min"_s << u"stop, say 40 words/min, wait"_s << true;
        QTest::newRow("greeting") << &Voice::greet << u"Hi!"_s << u"say Hi!"_s << false;
        QTest::newRow("a blank line cuts off") << &Voice::SayNow << QString() << u"stop"_s << false;
    }

    // A slow engine: what blocks has been handed over and waited for when the call returns.
    void speakingWays()
    {
        QFETCH(Way, way);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(bool, blocks);
        RecordingSpeech speech;
        speech.engine.renderTime = 100ms;
        Voice voice(speech.engine, speech.output);
        speech.clear();
        (voice.*way)(text);
        if (blocks)
            QCOMPARE(speech.said().join(u", "), expected);
        QTRY_COMPARE(speech.said().join(u", "), expected);
    }

    // Started later, a voice renders nothing while one started at once renders the same, then
    // says all that was asked for; one that must wait for speech starts by itself.
    void aVoiceStartedLaterLosesNothing()
    {
        RecordingSpeech held, control;
        Voice later(held.engine, held.output, SpeechStart::OnStart);
        Voice now(control.engine, control.output);
        for (Voice* voice : { &later, &now }) {
            voice->greet(u"Hi!"_s);
            voice->prefetch({ u"one"_s });
        }
        QTRY_COMPARE(control.renderings(), (QStringList { u"Hi!"_s, u"one"_s }));
        QCOMPARE(held.renderings(), QStringList());
        later.start();
        QTRY_COMPARE(held.renderings(), (QStringList { u"Hi!"_s, u"one"_s }));
        QCOMPARE(held.said(), QStringList { u"say Hi!"_s });

        RecordingSpeech waiting;
        Voice waitsForIt(waiting.engine, waiting.output, SpeechStart::OnStart);
        waitsForIt.SayAndWait(u"40 words/min"_s);
        QCOMPARE(waiting.said().join(u", "), u"stop, say 40 words/min, wait"_s);
    }

    // Likely next lines are rendered ahead; each plays as itself within the call asking for it,
    // whichever was rendered last. A change of voice or pace renders again, ahead too.
    void rendersAheadWhatIsLikelyNext()
    {
        RecordingSpeech speech;
        Voice voice(speech.engine, speech.output);
        voice.prefetch({ u"one"_s, u"two"_s, u"three"_s, QString() });
        QTRY_COMPARE(speech.renderings(), (QStringList { u"one"_s, u"two"_s, u"three"_s }));
        speech.clear();
        for (const QString& line : { u"one"_s, u"two"_s, u"three"_s, u"one"_s }) {
            voice.SayNow(line);
            QCOMPARE(speech.said().last(), u"say "_s + line);
        }
        QCOMPARE(speech.said().first(2), (QStringList { u"stop"_s, u"say one"_s }));
        voice.prefetch({ u"two"_s, u"four"_s });
        QTRY_COMPARE(speech.renderings(), QStringList { u"four"_s });
        voice.setEnglishVoice(EnglishVoice::Female);
        voice.SayNow(u"two"_s);
        QTRY_COMPARE(speech.said().last(), u"say two"_s);
        QCOMPARE(speech.renderings().last(), u"female:two"_s);
        voice.setPace(SpeechPace::Slower);
        voice.SayNow(u"two"_s);
        QTRY_COMPARE(speech.said().last(), u"say two"_s);
        QCOMPARE(speech.renderings().last(), u"female:slower:two"_s);
        voice.setPace(SpeechPace::Normal);
        voice.SayNow(u"two"_s);
        QCOMPARE(speech.said().last(), u"say two"_s);
        QCOMPARE(speech.renderings().size(), 3);
        voice.setPace(SpeechPace::Faster);
        voice.prefetch({ u"five"_s });
        QTRY_COMPARE(speech.renderings().last(), u"female:faster:five"_s);
        voice.SayNow(u"five"_s);
        QCOMPARE(speech.said().last(), u"say five"_s);
    }

    // Keys at 30 a second on an engine far slower than that: no call waits for rendering and
    // the line asked for last is the one heard. A line cut off is never played.
    void aSlowEngineNeverHoldsUpTheCallerNorPlaysStaleLines()
    {
        RecordingSpeech speech;
        speech.engine.renderTime = 300ms;
        Voice voice(speech.engine, speech.output);
        qint64 busy = 0;
        for (int line = 1; line <= 30; ++line) {
            QElapsedTimer call;
            call.start();
            voice.SayNow(u"line %1"_s.arg(line));
            busy += call.elapsed();
            QTest::qWait(33);
        }
        // Waiting for the engine would take 30 x 300 ms = 9 s in the calls alone.
        QVERIFY2(busy < 3000, qPrintable(u"the calls took %1 ms"_s.arg(busy)));
        QTRY_COMPARE_WITH_TIMEOUT(speech.said().last(), u"say line 30"_s, 10000);

        speech.clear();
        voice.SayNow(u"cut off"_s);
        QTest::qWait(50); // most often cut while it renders; otherwise before it starts
        voice.silence();
        voice.SayNow(u"after"_s);
        QTRY_COMPARE(speech.said().last(), u"say after"_s);
        QVERIFY2(!speech.said().contains(u"say cut off"_s), qPrintable(speech.said().join(u", ")));
    }
};

QTEST_GUILESS_MAIN(TestVoice)
#include "voice_test.moc"
