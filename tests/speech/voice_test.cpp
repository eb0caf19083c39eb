#include "recording_speech.h"
#include "voice.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Way = void (Voice::*)(const QString&);

// What the voice asks of its engine and audio output for each way of speaking.
class TestVoice : public QObject {
    Q_OBJECT

private slots:
    void speakingWays_data()
    {
        QTest::addColumn<Way>("way");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("say now") << &Voice::SayNow << u"line one"_s << u"stop, say line one"_s;
        QTest::newRow("say and wait")
            << &Voice::SayAndWait << u"40 words/min"_s << u"stop, say 40 words/min, wait"_s;
        QTest::newRow("greeting") << &Voice::greet << u"Hi!"_s << u"say Hi!"_s;
        QTest::newRow("a blank line still cuts off") << &Voice::SayNow << QString() << u"stop"_s;
    }

    void speakingWays()
    {
        QFETCH(Way, way);
        QFETCH(QString, text);
        RecordingSpeech speech;
        Voice voice(speech.engine, speech.output);
        speech.log.clear();
        (voice.*way)(text);
        QTEST(speech.log.join(u", "), "expected");
    }
};

QTEST_GUILESS_MAIN(TestVoice)
#include "voice_test.moc"
