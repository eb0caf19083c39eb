#include "recording_speech.h"
#include "voice.h"

#include <QTest>

namespace {
enum Way { SayNow, SayAndWait, Greet };
}

// What the voice asks of its engine and audio output for each way of speaking.
class TestVoice : public QObject {
    Q_OBJECT

private slots:
    void speakingWays_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");

        const auto log = [](std::initializer_list<const char*> entries) {
            QStringList list;
            for (const char* entry : entries)
                list.append(QString::fromUtf8(entry));
            return list;
        };
        QTest::newRow("say now cuts off, then speaks in the background")
            << int(SayNow) << QStringLiteral("line one") << log({ "stop", "say line one" });
        QTest::newRow("say and wait cuts off, speaks, then waits")
            << int(SayAndWait) << QStringLiteral("40 words/min")
            << log({ "stop", "say 40 words/min", "wait" });
        QTest::newRow("the greeting cuts nothing off")
            << int(Greet) << QStringLiteral("SelectYourFile!") << log({ "say SelectYourFile!" });
        QTest::newRow("say now with an empty line only cuts off")
            << int(SayNow) << QString() << log({ "stop" });
        QTest::newRow("say and wait with an empty text only cuts off")
            << int(SayAndWait) << QStringLiteral("") << log({ "stop" });
        QTest::newRow("the greeting with an empty text does nothing")
            << int(Greet) << QString() << log({});
    }

    void speakingWays()
    {
        QFETCH(int, way);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);

        RecordingSpeech speech;
        Voice voice(speech.engine, speech.output);
        speech.log.clear();
        switch (way) {
        case SayNow:
            voice.SayNow(text);
            break;
        case SayAndWait:
            voice.SayAndWait(text);
            break;
        default:
            voice.greet(text);
        }
        QCOMPARE(speech.log, expected);
    }

    void volumeMapsToGain_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("kept");
        QTest::addColumn<double>("gain");

        QTest::newRow("pause") << 0 << 0 << 0.0;
        QTest::newRow("get voice") << 100 << 100 << 1.0;
        QTest::newRow("between") << 37 << 37 << 0.37;
        QTest::newRow("below the range") << -5 << 0 << 0.0;
        QTest::newRow("above the range") << 250 << 100 << 1.0;
    }

    void volumeMapsToGain()
    {
        QFETCH(int, asked);
        QFETCH(int, kept);
        QFETCH(double, gain);

        RecordingSpeech speech;
        Voice voice(speech.engine, speech.output);
        voice.setVolume(asked);
        QCOMPARE(voice.volume(), kept);
        QCOMPARE(speech.output.gain(), gain);
    }
};

QTEST_GUILESS_MAIN(TestVoice)
#include "voice_test.moc"
