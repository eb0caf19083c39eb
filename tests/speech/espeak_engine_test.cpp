#include "espeak_engine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

double seconds(const Pcm& pcm)
{
    return double(pcm.samples.size()) / pcm.sampleRate;
}

qint16 peak(const Pcm& pcm)
{
    qint16 loudest = 0;
    for (qint16 sample : pcm.samples)
        loudest = std::max<qint16>(loudest, qint16(std::abs(sample)));
    return loudest;
}

} // namespace

// Rendering text with the installed espeak-ng voice, and staying silent without it.
class TestEspeakEngine : public QObject {
    Q_OBJECT

private slots:
    void rendersSpeechThatGrowsWithTheText()
    {
        EspeakEngine engine;
        QVERIFY(engine.isAvailable());
        QVERIFY(engine.sampleRate() > 0);

        const Pcm shortLine = engine.synthesize(QStringLiteral("The cat sat."));
        const Pcm longLine = engine.synthesize(
            QStringLiteral("The cat sat on the mat and looked out of the window all afternoon."));
        QCOMPARE(shortLine.sampleRate, engine.sampleRate());
        QVERIFY(peak(shortLine) > 1000);
        QVERIFY(peak(longLine) > 1000);
        QVERIFY2(seconds(shortLine) > 0.3, qPrintable(QString::number(seconds(shortLine))));
        QVERIFY(seconds(longLine) > 2 * seconds(shortLine));
    }

    void rendersUtf8AndMarkupCharactersAsText()
    {
        EspeakEngine engine;
        QVERIFY(peak(engine.synthesize(QStringLiteral("Reset: [R] or [U]"))) > 1000);
        QVERIFY(peak(engine.synthesize(QStringLiteral("naïve café <b> & 日本"))) > 1000);
        QVERIFY(engine.synthesize(QString()).isEmpty());
    }

    void cutsAnOverlongLineAndRecovers()
    {
        EspeakEngine engine(QString(), std::chrono::seconds(3));
        const QString line = QStringLiteral("After that, a short line.");
        const Pcm before = engine.synthesize(line);
        QString huge;
        for (int i = 0; i < 20000; ++i)
            huge += QStringLiteral("word ");

        const Pcm cut = engine.synthesize(huge);
        QCOMPARE(cut.samples.size(), 3 * engine.sampleRate());

        // Nothing of the cut line is left over to be spoken with the next one.
        const Pcm after = engine.synthesize(line);
        QVERIFY(peak(after) > 1000);
        QVERIFY2(std::abs(seconds(after) - seconds(before)) < 0.05,
            qPrintable(
                QStringLiteral("%1 s, before %2 s").arg(seconds(after)).arg(seconds(before))));
    }

    // espeak-ng starts once per process, so the missing data is tried in a child process:
    // this same test run again with the data path in the environment.
    void missingVoiceDataGivesSilenceAndOneWarning()
    {
        const QByteArray dataPath = qgetenv("KELVARO_TEST_ESPEAK_DATA");
        if (!dataPath.isEmpty()) {
            EspeakEngine engine(QString::fromLocal8Bit(dataPath));
            QVERIFY(!engine.isAvailable());
            QVERIFY(engine.synthesize(QStringLiteral("Hello there.")).isEmpty());
            QVERIFY(engine.synthesize(QStringLiteral("And again.")).isEmpty());
            return;
        }
        QTemporaryDir emptyData;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KELVARO_TEST_ESPEAK_DATA"), emptyData.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("missingVoiceDataGivesSilenceAndOneWarning") });
        QVERIFY(child.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QVERIFY2(child.exitCode() == 0, qPrintable(output));
        QCOMPARE(output.count(QStringLiteral("Speech is off: the espeak-ng voice data")), 1);
    }
};

QTEST_GUILESS_MAIN(TestEspeakEngine)
#include "espeak_engine_test.moc"
