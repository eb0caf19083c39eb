#include "pcm_checks.h"
#include "speech_service.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <thread>

using namespace Qt::StringLiterals;
using enum EnglishVoice;
using enum SpeechPace;

namespace {

const QString DrillLine = u"The quick brown fox jumps over the lazy dog."_s;
const QString CrashingJapanese = u"Q.今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます"
                                 u"友達と一緒に勉強しました先生はとても親切で優しい人です"_s;

SpeechServiceOptions helperOptions(const QStringList& arguments = {})
{
    SpeechServiceOptions options;
    options.helperPath = QStringLiteral(KELVARO_SPEECH_HELPER);
    options.helperArguments = arguments;
    return options;
}

void expectWarning(const QString& pattern)
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(pattern));
}

} // namespace

// The speech helper seen from the program: speech comes back whatever happens to it.
class TestSpeechService : public QObject {
    Q_OBJECT

    QTemporaryDir m_emptyDir;

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); }

    // From a thread with no event loop, as the voice's worker calls it, the pace goes to the
    // helper with each line: slower is measurably longer and faster shorter, for each engine,
    // Japanese included, and the normal pace is back after the others.
    void eachPaceFromAWorkerThread_data()
    {
        QTest::addColumn<EnglishVoice>("voice");
        QTest::addColumn<QString>("line");
        QTest::newRow("Flite male") << Male << DrillLine;
        QTest::newRow("Flite female") << Female << DrillLine;
        QTest::newRow("espeak-ng") << Espeak << DrillLine;
        QTest::newRow("espeak-ng Japanese") << Male << u"私は毎朝七時に起きて、駅まで歩きます。"_s;
    }

    void eachPaceFromAWorkerThread()
    {
        QFETCH(EnglishVoice, voice);
        QFETCH(QString, line);
        SpeechService service(helperOptions());
        const auto length = [&](SpeechPace pace) {
            Pcm pcm;
            std::thread worker([&] { pcm = service.synthesize(line, voice, pace); });
            worker.join();
            return audible(pcm) ? seconds(pcm) : 0.0;
        };
        const double normal = length(Normal);
        const double slower = length(Slower);
        const double faster = length(Faster);
        const double again = length(Normal);
        QVERIFY2(slower > 1.2 * normal && faster < 0.88 * normal && faster > 0.4 * normal
                && std::abs(again - normal) < 0.01 * normal,
            qPrintable(
                QString::asprintf("slower %.2f s, normal %.2f s, faster %.2f s, again %.2f s",
                    slower, normal, faster, again)));
    }

    // The voice chosen is the voice heard: through the helper, espeak-ng speaks at its own
    // sample rate and Flite's two voices take their own time (Flite's renders of one voice
    // vary by a few samples, so the samples themselves cannot tell voices apart).
    void eachVoiceIsItsOwn()
    {
        SpeechService service(helperOptions());
        const Pcm male = service.synthesize(DrillLine, Male, Normal);
        const Pcm female = service.synthesize(DrillLine, Female, Normal);
        const Pcm espeak = service.synthesize(DrillLine, Espeak, Normal);
        QVERIFY(audible(male) && audible(female) && audible(espeak));
        QVERIFY(espeak.sampleRate != male.sampleRate && espeak.sampleRate != female.sampleRate);
        QVERIFY2(seconds(male) > 1.1 * seconds(female),
            qPrintable(
                QString::asprintf("male %.2f s, female %.2f s", seconds(male), seconds(female))));
    }

    // The lines that abort espeak-ng 1.51 when given to it whole, by either engine, from a
    // helper that started with the first line.
    void crashingLinesLeaveItWorking()
    {
        SpeechServiceOptions options = helperOptions();
        options.helperStart = SpeechStart::OnStart;
        SpeechService service(options);
        QCOMPARE(service.helperProcessId(), -1);
        QVERIFY(audible(service.synthesize(DrillLine, Male, Normal)));
        const qint64 helper = service.helperProcessId();
        for (EnglishVoice voice : { Male, Espeak }) {
            QVERIFY(audible(service.synthesize(CrashingJapanese, voice, Normal)));
            QVERIFY(audible(service.synthesize(u"s'"_s.repeated(220), voice, Normal)));
        }
        QVERIFY(audible(service.synthesize(DrillLine, Male, Normal)));
        QCOMPARE(service.helperProcessId(), helper);
    }

    void helperKilledMidLine()
    {
        SpeechService service(helperOptions());
        // Seconds of rendering, so the helper is still at it when the first audio arrives.
        const QString longLine = DrillLine.repeated(40);
        const qint64 first = service.helperProcessId();
        int pieces = 0;
        expectWarning(u"speech helper closed its end .*killed by signal 9.*not sent again"_s);
        const Pcm cut = service.synthesize(longLine, Male, Normal, [&](const Pcm&) {
            if (++pieces == 1)
                ::kill(pid_t(service.helperProcessId()), SIGKILL);
        });
        // What was sent before the kill still arrives, but the line counts as silent.
        QVERIFY(pieces >= 1);
        QVERIFY(cut.isEmpty());

        QVERIFY(audible(service.synthesize(DrillLine, Male, Normal)));
        const qint64 second = service.helperProcessId();
        QVERIFY(second != first && second > 0);
        QVERIFY(service.synthesize(longLine, Male, Normal).isEmpty());
        QCOMPARE(service.helperProcessId(), second);

        // A helper gone while nothing was asked of it is not any line's fault.
        ::kill(pid_t(second), SIGKILL);
        QTRY_VERIFY([&] { // a process that died reads an empty command line
            QFile commandLine(u"/proc/%1/cmdline"_s.arg(second));
            return !commandLine.open(QIODevice::ReadOnly) || commandLine.readAll().isEmpty();
        }());
        // Seen between lines or when the line is handed over, as the kernel closes the socket.
        expectWarning(u"(before it began .*killed by signal 9|killed by signal 9.* between lines)"
                      u".*starts again"_s);
        QVERIFY(audible(service.synthesize(DrillLine, Male, Normal)));
    }

    void hungHelperIsStoppedInTime()
    {
        SpeechServiceOptions options = helperOptions();
        options.lineTimeout = std::chrono::milliseconds(800);
        options.timeoutPerCharacter = std::chrono::microseconds(0);
        SpeechService service(options);
        QVERIFY(audible(service.synthesize(u"Ready."_s, Male, Normal)));
        ::kill(pid_t(service.helperProcessId()), SIGSTOP);
        expectWarning(u"did not finish within 800 ms.*stopped answering and was killed"_s);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(service.synthesize(DrillLine, Male, Normal).isEmpty());
        QVERIFY(waited.elapsed() < 10'000);
        QVERIFY(audible(service.synthesize(u"Back again."_s, Male, Normal)));
    }

    void missingHelperLeavesSilenceWithOneWarning()
    {
        SpeechServiceOptions options = helperOptions();
        options.helperPath = m_emptyDir.filePath(u"helper"_s);
        expectWarning(u"speech helper is missing \\(looked for "_s
            + QRegularExpression::escape(options.helperPath) + u"\\).*goes on silently"_s);
        SpeechService service(options);
        for (int line = 0; line < 5; ++line)
            QVERIFY(service.synthesize(DrillLine, Male, Normal).isEmpty());
    }

    void missingPartsDegrade_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("audible");
        QTest::addColumn<int>("sampleRate");
        const QStringList noEspeak { u"--espeak-data"_s, m_emptyDir.path() };
        QTest::newRow("no dictionary: Japanese still spoken")
            << QStringList { u"--dictionary"_s, m_emptyDir.filePath(u"dictionary"_s) }
            << u"install mecab-naist-jdic"_s << u"私はペンを持っています。"_s << true << 22050;
        QTest::newRow("no Flite: espeak-ng speaks English")
            << QStringList { u"--flite-dir"_s, m_emptyDir.filePath(u"flite"_s) }
            << u"install libflite1"_s << DrillLine << true << 22050;
        QTest::newRow("no espeak-ng: Flite still speaks English")
            << noEspeak << u"install espeak-ng-data"_s << DrillLine << true << 16000;
        QTest::newRow("no espeak-ng: Japanese silent")
            << noEspeak << u"install espeak-ng-data"_s << u"私は"_s << false << 16000;
    }

    void missingPartsDegrade()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, warning);
        QFETCH(QString, line);
        QFETCH(bool, audible);
        expectWarning(warning);
        if (arguments.first() == u"--flite-dir") // one line for each of the two voices
            expectWarning(warning);
        SpeechService service(helperOptions(arguments));
        const Pcm pcm = service.synthesize(line, Male, Normal);
        QCOMPARE(::audible(pcm), audible);
        if (audible)
            QTEST(pcm.sampleRate, "sampleRate");
        // Said once, not again for the next line.
        service.synthesize(line, Female, Normal);
    }
};

QTEST_GUILESS_MAIN(TestSpeechService)
#include "speech_service_test.moc"
