#include "audio_helper_notes.h"
#include "audio_protocol.h"
#include "background_audio_output.h"
#include "child_processes.h"
#include "null_sink_recorder.h"
#include "speech_engine.h"
#include "speech_service.h"
#include "voice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <fcntl.h>

using namespace Qt::StringLiterals;

namespace {

const QString kHelper = QStringLiteral(KELVARO_AUDIO_HELPER);
constexpr int kRate = NullSinkRecorder::kRate;

// What pactl prints, or nothing if it fails.
QString pactlOutput(const QStringList& arguments)
{
    QProcess pactl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C"_s); // its words, not a translation
    pactl.setProcessEnvironment(environment);
    pactl.start(u"pactl"_s, arguments);
    const bool ran = pactl.waitForFinished() && pactl.exitCode() == 0;
    return ran ? QString::fromUtf8(pactl.readAllStandardOutput().trimmed()) : QString();
}

bool onPipeWire()
{
    return pactlOutput({ u"info"_s }).contains(u"PipeWire"_s);
}

Pcm sound(int ms, qint16 level = 10000, int rate = kRate)
{
    return { QList<qint16>(rate * ms / 1000, level), rate };
}

// Renders every text as the same loud sound, and counts what it rendered.
struct ToneEngine : SpeechEngine {
    Pcm synthesize(const QString&, EnglishVoice, SpeechPace) override
    {
        ++rendered;
        return sound(milliseconds);
    }
    int milliseconds = 2000;
    std::atomic<int> rendered = 0;
};

// The learner is told why speech went silent.
void expectSilence(const QString& why)
{
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Speech is silent: "_s + why));
}

bool pactl(const QStringList& arguments)
{
    return QProcess::execute(u"pactl"_s, arguments) == 0;
}

// The one audio helper the output runs, once it runs.
pid_t audioHelper()
{
    QList<pid_t> helpers;
    NullSinkRecorder::waitUntil(
        [&] { return !(helpers = childProcesses(u"kelvaro-audio"_s)).isEmpty(); }, 5000);
    return helpers.size() == 1 ? helpers.first() : -1;
}

// A line as a recording holds it: where it begins, how long it lasts and sounds, and the quiet
// inside it. A server that misses a cycle leaves a quiet one in the line: the line then either
// ends that much later, or lost that much of its audio.
struct HeardLine {
    qsizetype first = -1; // its first loud sample, -1 if none
    double lastedMs = 0; // from its first loud sample to its last
    double longestGapMs = 0;
    double gapsMs = 0;

    // How long it lasted, the quiet inside it left out.
    double soundedMs() const { return lastedMs - gapsMs; }

    // Whole, as far as the program can tell: no gap a listener would notice, and as long as
    // it was written (within the tolerance), counted either way.
    bool whole(double writtenMs, double toleranceMs) const
    {
        return first >= 0 && longestGapMs <= 20
            && (std::abs(lastedMs - writtenMs) <= toleranceMs
                || std::abs(soundedMs() - writtenMs) <= toleranceMs);
    }
};

HeardLine heardLine(const QList<qint16>& samples)
{
    HeardLine line;
    qsizetype longest = 0, quiet = 0, previous = -1;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) <= NullSinkRecorder::kLoud)
            continue;
        if (previous >= 0) {
            longest = std::max(longest, i - previous - 1);
            quiet += i - previous - 1;
        } else {
            line.first = i;
        }
        previous = i;
    }
    if (line.first >= 0)
        line.lastedMs = (previous - line.first + 1) * 1000.0 / kRate;
    line.longestGapMs = longest * 1000.0 / kRate;
    line.gapsMs = quiet * 1000.0 / kRate;
    return line;
}

qsizetype lastLoud(const QList<qint16>& samples)
{
    for (qsizetype i = samples.size() - 1; i >= 0; --i)
        if (std::abs(samples[i]) > NullSinkRecorder::kLoud)
            return i;
    return -1;
}

// The audio helper on its own, sent frames as the program sends them; its answers are read
// while waiting.
class BareAudioHelper {
public:
    BareAudioHelper() { m_process.start(kHelper, {}); }
    ~BareAudioHelper()
    {
        m_process.closeWriteChannel(); // it ends when the program has gone
        m_process.waitForFinished();
    }

    void send(const QByteArray& frames) { m_process.write(frames); }

    // Waits until the latest answer of the kind has at least the value; false if it never did.
    bool waitFor(Protocol::FrameKind kind, std::uint32_t value, int timeoutMs)
    {
        return NullSinkRecorder::waitUntil(
            [&] {
                const QByteArray bytes = m_process.readAllStandardOutput();
                m_reader.append(bytes.constData(), bytes.size());
                while (const std::optional<Protocol::Frame> frame = m_reader.next())
                    m_latest[frame->header.kind] = frame->header.value;
                return m_latest.value(kind) >= value;
            },
            timeoutMs);
    }

private:
    QProcess m_process;
    Protocol::FrameReader m_reader;
    QHash<Protocol::FrameKind, std::uint32_t> m_latest;
};

// Tells a gap the program caused (the server ran out of the line's audio, which the output
// notes) from a gap or a stretch the server made while it had the whole line, its audio thread
// held up (a busy machine, or a virtual one whose timers wake it late: the server's log then
// says "client too slow"). A line the server broke is played again, twice at most; a fault of
// the program's own comes back each time.
class GapJudge {
public:
    void lineBegins() { m_underflowsBefore = m_notes.underflows(); }

    // What fails the test about the gap described, or nothing when the line is played again.
    QString fault(const QString& gap)
    {
        // The output's note comes a moment after the server's.
        if (NullSinkRecorder::waitUntil(
                [&] { return m_notes.underflows() > m_underflowsBefore; }, 500))
            return gap + u"; the server ran out of the line's audio"_s;
        if (++m_again > 2)
            return gap + u", in a third line"_s;
        qInfo("%s, though the server had the whole line: played again", qPrintable(gap));
        return {};
    }

    QString noted() const { return m_notes.report(); }

private:
    AudioHelperNotes m_notes;
    int m_underflowsBefore = 0;
    int m_again = 0;
};

} // namespace

// Playing, cutting off and muting speech through the audio helper on a real sound server
// (PulseAudio, or PipeWire's PulseAudio service: CTest runs this on both), checked by
// recording from the null sink's monitor what it actually played.
class TestBackgroundAudioOutput : public QObject {
    Q_OBJECT

    NullSinkRecorder m_recorder;

    // Says the line and waits until it is heard; the position it was heard from, or -1.
    qsizetype playUntilHeard(BackgroundAudioOutput& output, const Pcm& pcm, int timeoutMs = 5000)
    {
        const qsizetype mark = m_recorder.now();
        // Only a line still heard is cut: a stop that cuts nothing would hide one that is lost.
        if (output.isBusy())
            output.stop();
        output.play(pcm);
        qsizetype at = -1; // in the 10 ms pieces heard since the mark
        NullSinkRecorder::waitUntil(
            [&] { return (at = m_recorder.loudness(mark).indexOf(true)) >= 0; }, timeoutMs);
        return at < 0 ? -1 : mark + at * (kRate / 100);
    }

    // Says a line every 300 ms meanwhile; a timer on this thread notes the longest stall.
    static qint64 longestStallWhileSpeaking(Voice& voice, int milliseconds)
    {
        QElapsedTimer sinceTick, total;
        qint64 longest = 0;
        QTimer ticks;
        ticks.callOnTimeout([&] { longest = std::max(longest, sinceTick.restart()); });
        sinceTick.start();
        total.start();
        ticks.start(10);
        for (int line = 1; total.elapsed() < milliseconds; ++line) {
            voice.SayNow(u"line %1"_s.arg(line));
            QTest::qWait(300);
        }
        return longest;
    }

    // Speech comes back: a line said every half second is heard again in time.
    bool speechComesBack(Voice& voice)
    {
        const qsizetype mark = m_recorder.now();
        return NullSinkRecorder::waitUntil(
            [&] {
                voice.SayNow(u"again"_s);
                QTest::qWait(500);
                return m_recorder.heardSince(mark);
            },
            90000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_recorder.start(), "nothing recorded: run by ctest, which starts the server");
    }

    // Each test begins in silence: the end of the line an earlier test left playing, recorded
    // a moment late on a busy machine, is not taken for one of its own.
    void init() { QVERIFY2(m_recorder.waitForQuiet(), "the sink never went quiet"); }

    // Each line of a run cuts off the one before and is played whole, at once, without gaps;
    // one is longer than the wait's margin and comes at another sample rate, the last is
    // shorter than any buffer. Waiting for a line handles the waiting thread's events meanwhile
    // (the window decides what a key press may do then), and ends only once it has been played.
    void playsEveryLineOfARunWhole()
    {
        GapJudge gaps;
        BackgroundAudioOutput output(kHelper);
        const QList<int> run = QList<int>(5, 400) << 4000 << 40; // a long line at the slower pace
        const QList<int> rates = QList<int>(5, kRate) << 16000 << kRate; // Flite's, then back
        bool handled = false;
        QTimer::singleShot(100, this, [&] { handled = true; });
        int endedOncePlayed = 0;
        for (qsizetype line = 0; line < run.size(); ++line) {
            gaps.lineBegins();
            const auto asked = NullSinkRecorder::Clock::now();
            const qsizetype recordedByThen = m_recorder.now();
            output.stop();
            QElapsedTimer waited;
            waited.start();
            output.play(sound(run[line], 10000, rates[line]));
            output.waitUntilPlayed();
            QVERIFY(handled);
            QVERIFY2(waited.elapsed() >= run[line] * 9 / 10,
                qPrintable(u"returned after %1 ms"_s.arg(waited.elapsed())));
            // The wait ends once the line has been played, or, should the server be a second
            // slower than the line (a busy machine), after that second: it never holds the
            // window longer.
            if (waited.elapsed() < run[line] + 900) {
                QVERIFY2(!output.isBusy(),
                    qPrintable(u"line %1: the wait ended after %2 ms, the line still playing; %3"_s
                                   .arg(line)
                                   .arg(waited.elapsed())
                                   .arg(gaps.noted())));
                ++endedOncePlayed;
            }
            QTRY_VERIFY_WITH_TIMEOUT(!output.isBusy(), 10000);
            m_recorder.waitForRecorded(recordedByThen, run[line] + 1500);
            const qsizetype mark = m_recorder.positionAt(asked, recordedByThen);
            QVERIFY(m_recorder.waitForRecorded(mark, run[line] + 1500));
            const HeardLine heard
                = heardLine(m_recorder.samples(mark, qsizetype(kRate) * (run[line] + 1500) / 1000));
            const double lateMs = heard.first * 1000.0 / kRate;
            const QString what = QString::asprintf(
                "line %lld: %.0f ms late, lasted %.0f ms, sounded %.0f ms, gaps %.1f ms (longest "
                "%.1f ms)",
                line, lateMs, heard.lastedMs, heard.soundedMs(), heard.gapsMs, heard.longestGapMs);
            QVERIFY2(heard.first >= 0 && lateMs <= 1000, qPrintable(what + u"; "_s + gaps.noted()));
            if (!heard.whole(run[line], run[line] / 10 + 30)) {
                const QString fault = gaps.fault(what);
                QVERIFY2(fault.isEmpty(), qPrintable(fault));
                --line;
            }
        }
        QVERIFY2(endedOncePlayed > 0, "every wait lasted until its limit");
        // At rest the stream is paused, so that the server can let the sound device sleep.
        QTRY_VERIFY_WITH_TIMEOUT(
            [] {
                const QString streams = pactlOutput({ u"list"_s, u"sink-inputs"_s });
                return streams.contains(u"Corked: yes"_s) && !streams.contains(u"Corked: no"_s);
            }(),
            5000);
    }

    // Stopped for 200 ms inside each of ten lines, the helper cuts none: each is heard whole.
    void aStoppedHelperCutsNoLine()
    {
        GapJudge gaps;
        BackgroundAudioOutput output(kHelper);
        const pid_t helper = audioHelper();
        QVERIFY(helper > 0);
        for (int line = 0; line < 10; ++line) {
            gaps.lineBegins();
            const qsizetype from = playUntilHeard(output, sound(1000));
            QVERIFY2(from >= 0, "a line was not heard");
            QTest::qWait(400);
            QCOMPARE(::kill(helper, SIGSTOP), 0);
            QTest::qWait(200);
            QCOMPARE(::kill(helper, SIGCONT), 0);
            QVERIFY(m_recorder.waitForRecorded(from, 1300));
            const HeardLine heard = heardLine(m_recorder.samples(from, kRate * 13 / 10));
            if (heard.whole(1000, 30))
                continue;
            const QString fault = gaps.fault(
                u"line %1: a gap of %2 ms (%3 ms in all), lasted %4 ms, sounded %5 ms"_s.arg(line)
                    .arg(heard.longestGapMs)
                    .arg(heard.gapsMs)
                    .arg(heard.lastedMs)
                    .arg(heard.soundedMs()));
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            --line;
        }
    }

    // The helper counts an underflow when the server runs dry inside a line, as when the rest
    // of it comes late, and not when a line ends while the next one, at another rate, waits
    // for a stream of its own: the count tells whether a gap heard was the program's.
    void underflowsAreCountedInsideALineOnly()
    {
        using Protocol::FrameKind;
        BareAudioHelper helper;
        helper.send(AudioProtocol::encodeUtterance(sound(300)));
        helper.send(Protocol::encode(FrameKind::Begin, 16000)); // its audio still to come
        QVERIFY2(helper.waitFor(FrameKind::Drained, 1, 5000), "the first line was not played");
        QVERIFY2(!helper.waitFor(FrameKind::Underflows, 1, 1000),
            "an underflow counted at the end of a line");
        helper.send(AudioProtocol::encodeSamples(sound(300, 10000, 16000))
            + Protocol::encode(FrameKind::End, 0));
        QVERIFY2(helper.waitFor(FrameKind::Drained, 2, 5000), "the second line was not played");

        helper.send(
            Protocol::encode(FrameKind::Begin, kRate) + AudioProtocol::encodeSamples(sound(200)));
        QVERIFY2(helper.waitFor(FrameKind::Underflows, 1, 5000),
            "no underflow counted while the rest of a line was late");
        helper.send(AudioProtocol::encodeSamples(sound(200)) + Protocol::encode(FrameKind::End, 0));
        QVERIFY2(helper.waitFor(FrameKind::Drained, 3, 5000), "the third line was not played");
        QVERIFY2(!helper.waitFor(FrameKind::Underflows, 2, 1000),
            "an underflow counted at the end of the late line");
    }

    // A server that says a line has been played before it has (PipeWire's service did, just
    // after a cut) neither cuts it nor ends the wait for it: the helper asks again. A library
    // preloaded into the helper answers every other drain at once.
    void aLineSaidToBePlayedTooSoonIsPlayedWhole()
    {
        const AudioHelperNotes notes;
        const QByteArray preload = qgetenv("LD_PRELOAD"), sanitizer = qgetenv("ASAN_OPTIONS");
        qputenv("LD_PRELOAD", KELVARO_EARLY_DRAIN_ANSWERS);
        // In a sanitized build, the library is loaded before the sanitizer's own.
        qputenv("ASAN_OPTIONS", sanitizer + ":verify_asan_link_order=0");
        BackgroundAudioOutput output(kHelper);
        const pid_t helper = audioHelper(); // started, with the library
        qputenv("LD_PRELOAD", preload);
        qputenv("ASAN_OPTIONS", sanitizer);
        QVERIFY(helper > 0);
        for (int line = 0; line < 3; ++line) {
            const qsizetype mark = m_recorder.now();
            QElapsedTimer waited;
            waited.start();
            output.play(sound(1000));
            output.waitUntilPlayed();
            QVERIFY2(waited.elapsed() >= 900,
                qPrintable(u"line %1: the wait ended after %2 ms; %3"_s.arg(line)
                               .arg(waited.elapsed())
                               .arg(notes.report())));
            QVERIFY(m_recorder.waitForRecorded(mark, 2500));
            const HeardLine heard = heardLine(m_recorder.samples(mark, kRate * 5 / 2));
            QVERIFY2(heard.first >= 0 && heard.lastedMs >= 900,
                qPrintable(u"line %1 lasted %2 ms; %3"_s.arg(line)
                               .arg(heard.lastedMs)
                               .arg(notes.report())));
        }
        QVERIFY2(notes.report().contains(u"drained again"_s),
            qPrintable(u"no early answer was given: "_s + notes.report()));
    }

    // A stop silences the line within 30 ms of the key; muting, within a moment, and the
    // line goes on silently.
    void stopAndMuteSilenceAtOnce()
    {
        const AudioHelperNotes notes;
        BackgroundAudioOutput output(kHelper);
        int measured = 0;
        for (int cut = 0; cut < 15 && measured < 5; ++cut) {
            QVERIFY2(playUntilHeard(output, sound(3000)) >= 0, "the line was not heard");
            QTest::qWait(300);
            const auto pressed = std::chrono::steady_clock::now();
            output.stop();
            const qsizetype at = m_recorder.positionAt(pressed);
            if (at < 0)
                continue; // the machine held the recorder up: this stop cannot be timed
            ++measured;
            QVERIFY(m_recorder.waitForRecorded(at, 500));
            const double lastMs = lastLoud(m_recorder.samples(at, kRate / 2)) * 1000.0 / kRate;
            QVERIFY2(lastMs <= 30, qPrintable(u"heard until %1 ms after the stop"_s.arg(lastMs)));
            // Nothing of the old line comes back: the next, soft one is all that is heard.
            const qsizetype next = m_recorder.now();
            output.play(sound(300, 3000));
            QVERIFY(m_recorder.waitForRecorded(next, 800));
            const QList<qint16> heard = m_recorder.samples(next, kRate * 8 / 10);
            const auto atTheOldLevel = [](qint16 sample) { return std::abs(sample) > 7000; };
            const auto loud = std::find_if(heard.cbegin(), heard.cend(), atTheOldLevel);
            QVERIFY2(loud == heard.cend(),
                qPrintable(
                    u"the old line came back %1 ms after the stop, for %2 ms; %3"_s
                        .arg((next - at + (loud - heard.cbegin())) * 1000.0 / kRate)
                        .arg(std::count_if(loud, heard.cend(), atTheOldLevel) * 1000.0 / kRate)
                        .arg(notes.report())));
            QVERIFY2(lastLoud(heard) >= 0, "the next line was not heard");
        }
        QVERIFY2(measured >= 3, "the machine held the recorder up at almost every stop");
        QTRY_VERIFY2(!output.isBusy(), "the queue dropped too");

        QVERIFY(playUntilHeard(output, sound(3000), 10000) >= 0);
        output.setVolume(0.0);
        QVERIFY2(
            !m_recorder.heardFor(m_recorder.now(), 600).mid(10).contains(true), "muted at once");
        QVERIFY2(output.isBusy(), "muted, it goes on silently");
        output.setVolume(1.0);
        QVERIFY(m_recorder.heardFor(m_recorder.now(), 600).contains(true));
        output.stop();
    }

    // The learner cuts a line half a second in, a hundred times: every next line is heard.
    // Lines take turns at two loudness levels, so the next is told from the one it cuts.
    void everyLineAfterACutIsHeard()
    {
        const AudioHelperNotes notes;
        BackgroundAudioOutput output(kHelper);
        QStringList unheard;
        for (int line = 0; line < 100; ++line) {
            const bool loud = line % 2 == 0;
            const auto cut = NullSinkRecorder::Clock::now();
            const qsizetype mark = m_recorder.now();
            output.stop();
            output.play(sound(1500, loud ? 12000 : 3000));
            const auto atItsLevel = [loud](qint16 sample, int) {
                const int level = std::abs(sample);
                return loud ? level > 7000 : level > 1000 && level < 6000;
            };
            qsizetype from = -1;
            const bool heard = NullSinkRecorder::waitUntil(
                [&] { // 50 ms at the line's own level
                    const QList<qint16> samples = m_recorder.samples(mark, kRate * 5);
                    const auto found = std::search_n(
                        samples.cbegin(), samples.cend(), kRate / 20, 0, atItsLevel);
                    from = found == samples.cend() ? -1 : mark + (found - samples.cbegin());
                    return from >= 0;
                },
                5000);
            if (!heard) {
                unheard.append(u"line %1 never heard"_s.arg(line));
                continue;
            }
            m_recorder.waitForRecorded(from, 500, 2000);
            if (const qsizetype after = (from - m_recorder.positionAt(cut, mark)) * 1000 / kRate;
                after > 2000)
                unheard.append(u"line %1 heard %2 ms after the cut"_s.arg(line).arg(after));
        }
        output.stop();
        QVERIFY2(unheard.isEmpty(),
            qPrintable(
                u"%1 of 100 lines not heard within 2 s of a cut: %2; %3"_s.arg(unheard.size())
                    .arg(unheard.join(u", "), notes.report())));
    }

    // Cut off as it starts, a line made ready ahead leaves nothing heard; cut off while it
    // plays, nothing more of it is heard.
    void purgeLeavesNothingOfAPrefetchedLine()
    {
        ToneEngine engine;
        BackgroundAudioOutput output(kHelper);
        Voice voice(engine, output);
        voice.prefetch({ u"ready"_s });
        QTRY_COMPARE(engine.rendered.load(), 1);
        const qsizetype mark = m_recorder.now();
        voice.SayNow(u"ready"_s);
        voice.silence();
        QVERIFY2(!m_recorder.heardFor(mark, 2500).contains(true), "heard after the cut");
        QCOMPARE(engine.rendered.load(), 1);

        voice.SayNow(u"ready"_s);
        QVERIFY(NullSinkRecorder::waitUntil([&] { return m_recorder.heardSince(mark); }, 10000));
        voice.silence();
        QVERIFY2(!m_recorder.heardFor(m_recorder.now(), 1500).mid(10).contains(true),
            "went on after the cut");
    }

    // A helper that is missing or cannot be started is said once, however many lines come.
    void aHelperThatCannotRunIsSaidOnce_data()
    {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("warning");
        QTest::newRow("missing") << u"/nonexistent/kelvaro-audio"_s
                                 << u"is missing \\(looked for /nonexistent/kelvaro-audio\\)"_s;
        QTest::newRow("not a program")
            << u"/dev/null"_s << u".* could not be started \\(Permission denied\\)"_s;
    }

    void aHelperThatCannotRunIsSaidOnce()
    {
        QFETCH(QString, helper);
        QFETCH(QString, warning);
        expectSilence(u"the audio helper "_s + warning);
        BackgroundAudioOutput output(helper);
        output.play(sound(100));
        QTRY_VERIFY(!output.isBusy());
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        for (int line = 0; line < 3; ++line) {
            output.play(sound(100));
            output.waitUntilPlayed();
        }
        QVERIFY(!output.isBusy());
    }

    // A helper that died is replaced, and waiting for the next line ends once it is heard, not
    // when the wait gives up. One that then stops answering while the learner keeps stepping
    // is replaced within seconds, and said again: speech comes back.
    void aHelperThatDiesOrStopsAnsweringIsReplaced()
    {
        BackgroundAudioOutput output(kHelper);
        QVERIFY(playUntilHeard(output, sound(3000)) >= 0);
        expectSilence(u"the audio helper was killed by signal 9"_s);
        const pid_t helper = audioHelper(); // never -1: kill(-1) signals every process
        QVERIFY(helper > 0);
        QCOMPARE(::kill(helper, SIGKILL), 0);
        QTRY_VERIFY(!output.isBusy());
        qsizetype mark = m_recorder.now();
        QElapsedTimer waited;
        waited.start();
        output.play(sound(300));
        output.waitUntilPlayed();
        const qint64 took = waited.elapsed();
        QVERIFY(!output.isBusy());
        QVERIFY2(m_recorder.heardSince(mark), "the next line was not heard");
        QVERIFY2(took < 900, qPrintable(u"the wait for a 300 ms line took %1 ms"_s.arg(took)));
        // Once speech was heard again, the same failure is told again.
        QVERIFY(playUntilHeard(output, sound(3000)) >= 0);
        expectSilence(u"the audio helper was killed by signal 9"_s);
        const pid_t second = audioHelper();
        QVERIFY(second > 0);
        QCOMPARE(::kill(second, SIGKILL), 0);
        QTRY_VERIFY(!output.isBusy());
        QVERIFY(playUntilHeard(output, sound(300)) >= 0);

        const pid_t stuck = audioHelper();
        QVERIFY(stuck > 0);
        // Nothing of an earlier line may pass for speech that came back.
        QVERIFY(m_recorder.waitForQuiet());
        expectSilence(u"the audio helper stopped answering"_s);
        QCOMPARE(::kill(stuck, SIGSTOP), 0);
        waited.start();
        mark = m_recorder.now();
        const bool back = NullSinkRecorder::waitUntil(
            [&] {
                output.stop();
                output.play(sound(200));
                QTest::qWait(300);
                return m_recorder.heardSince(mark);
            },
            10000);
        ::kill(stuck, SIGKILL);
        QVERIFY2(back, "no line was heard within 10 s of the helper's stop");
        QVERIFY2(waited.elapsed() < 6000,
            qPrintable(u"speech came back after %1 ms"_s.arg(waited.elapsed())));
    }

    // The helpers get nothing the program has open: no drill file, no connection. Under a
    // read-only home the sound library cannot keep its cookie and says so: no failure, and the
    // line is heard.
    void helpersInheritNoDescriptorAndTheSoundLibrarysNotesAreNoFailure()
    {
        const QByteArray marker = QDir::tempPath().toLocal8Bit() + "/kelvaro-inherited-marker";
        const int fd = ::open(marker.constData(), O_RDWR | O_CREAT, 0600); // no O_CLOEXEC
        QVERIFY(fd >= 0);
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/sys");
        BackgroundAudioOutput output(kHelper);
        const pid_t audio = audioHelper(); // started, with that home
        qputenv("HOME", home);
        SpeechServiceOptions options;
        options.helperPath = QStringLiteral(KELVARO_SPEECH_HELPER);
        SpeechService speech(options);
        for (const pid_t helper : { audio, pid_t(speech.helperProcessId()) }) {
            QVERIFY(helper > 0);
            // Until it has started the helper's own program, a child is a copy of this one,
            // with all of its descriptors.
            const QString exe = u"/proc/%1/exe"_s.arg(helper);
            QTRY_VERIFY_WITH_TIMEOUT(
                QFileInfo(QFile::symLinkTarget(exe)).fileName().startsWith(u"kelvaro-"_s), 10000);
            const QStringList open = openDescriptors(helper);
            QVERIFY2(!open.isEmpty(), "nothing to read in /proc");
            QVERIFY2(!open.contains(QFile::decodeName(marker)),
                qPrintable(u"helper %1 holds %2"_s.arg(helper).arg(open.join(u", "_s))));
        }
        ::close(fd);
        ::unlink(marker.constData());
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        const qsizetype mark = m_recorder.now();
        output.play(sound(300));
        output.waitUntilPlayed();
        QVERIFY(m_recorder.heardSince(mark));
    }

    // A device that stops playing holds up neither the wait nor the next line for long, and
    // the learner hears why. The device goes away while a line plays: said once, naming it;
    // the next line plays on the device that comes. (Last: the recorder starts again on the
    // new device.)
    void aDeviceThatStallsOrGoesAwayIsSaidAndSpeechGoesOn()
    {
        if (onPipeWire())
            QSKIP("PipeWire wakes a suspended sink for a stream that plays, and moves the stream "
                  "to another sink of its own");
        { // a stream the server stops serving (moved to a sink that is suspended) is replaced
            const QString module
                = pactlOutput({ u"load-module"_s, u"module-null-sink"_s, u"sink_name=unserved"_s });
            QVERIFY(!module.isEmpty());
            QVERIFY(pactl({ u"suspend-sink"_s, u"unserved"_s, u"1"_s }));
            BackgroundAudioOutput output(kHelper);
            QVERIFY(playUntilHeard(output, sound(300)) >= 0);
            output.waitUntilPlayed();
            const QString stream
                = pactlOutput({ u"list"_s, u"short"_s, u"sink-inputs"_s }).section(u'\t', 0, 0);
            QVERIFY(pactl({ u"move-sink-input"_s, stream, u"unserved"_s }));
            QTest::failOnWarning(QRegularExpression(u".*"_s));
            const qsizetype mark = m_recorder.now();
            output.play(sound(1000));
            const QList<bool> heard = m_recorder.heardFor(mark, 2500);
            QVERIFY(pactl({ u"unload-module"_s, module }));
            QVERIFY2(heard.indexOf(true) >= 0 && std::abs(heard.count(true) * 10 - 1000) <= 60,
                qPrintable(u"%1 ms of the line heard, from %2 ms"_s.arg(heard.count(true) * 10)
                               .arg(heard.indexOf(true) * 10)));
        }
        QVERIFY(pactl({ u"suspend-sink"_s, u"null"_s, u"1"_s }));
        { // an output says a device failure once: the second part has an output of its own
            BackgroundAudioOutput output(kHelper);
            expectSilence(u"the sound device is suspended"_s);
            output.play(sound(500));
            QTimer rescue; // ends a hung wait, so that it is reported and the sink resumed
            rescue.setSingleShot(true);
            rescue.callOnTimeout([&] { output.stop(); });
            rescue.start(20000);
            output.waitUntilPlayed();
            const bool waitReturned = rescue.isActive();
            QTRY_VERIFY_WITH_TIMEOUT(!output.isBusy() || !rescue.isActive(), 20000);
            const bool gaveUp = rescue.isActive();
            QVERIFY(pactl({ u"suspend-sink"_s, u"null"_s, u"0"_s }));
            QVERIFY2(waitReturned, "the wait hung");
            QVERIFY2(gaveUp, "the stalled line held up the output");
            QVERIFY(playUntilHeard(output, sound(300), 10000) >= 0);
        }
        BackgroundAudioOutput output(kHelper);
        QVERIFY(playUntilHeard(output, sound(3000)) >= 0);
        expectSilence(u"the sound device went away"_s);
        QVERIFY(pactl({ u"unload-module"_s, u"module-null-sink"_s }));
        QTRY_VERIFY(!output.isBusy());
        QVERIFY(pactl({ u"load-module"_s, u"module-null-sink"_s, u"sink_name=null"_s }));
        QVERIFY(m_recorder.start());
        QVERIFY2(playUntilHeard(output, sound(300), 10000) >= 0, "nothing heard on the new device");
    }

    // Stopped for 40 s, the PulseAudio server hangs past any time-out of its own; killed and
    // started again, it loses every connection. Each is said once, naming what happened; the
    // speaking thread's event loop answers throughout, and speech comes back after each.
    void stoppedForFortySecondsThenKilledAndRestarted()
    {
        const QString serverDir = qEnvironmentVariable("KELVARO_TEST_PULSE_DIR");
        const auto serverPid = [&] {
            QFile file(serverDir + u"/runtime/pulse/pid"_s);
            return file.open(QIODevice::ReadOnly) ? pid_t(file.readAll().trimmed().toInt()) : 0;
        };
        QVERIFY2(serverPid() > 0, "run by ctest, which starts the test audio server");
        ToneEngine engine;
        engine.milliseconds = 333;
        BackgroundAudioOutput output(kHelper);
        Voice voice(engine, output);
        QVERIFY2(speechComesBack(voice), "no speech to begin with");
        QTest::failOnWarning(QRegularExpression(u".*"_s));

        // A new cause is told even before a line was heard whole again: the helper dies, and
        // the server hangs before the next line can play.
        expectSilence(u"the audio helper was killed by signal 9"_s);
        const pid_t helper = audioHelper();
        QVERIFY(helper > 0);
        QCOMPARE(::kill(helper, SIGKILL), 0);
        expectSilence(u"the sound server does not answer\\.$"_s);
        const pid_t server = serverPid();
        QCOMPARE(::kill(server, SIGSTOP), 0);
        qint64 stall = longestStallWhileSpeaking(voice, 40000);
        // Nothing waits for a server that does not answer: a line is dropped at once.
        output.play(sound(333));
        const bool settled = NullSinkRecorder::waitUntil([&] { return !output.isBusy(); }, 1000);
        QCOMPARE(::kill(server, SIGCONT), 0);
        QVERIFY2(settled, "a line waited for the hung server");
        QVERIFY(m_recorder.start());
        QVERIFY2(stall < 1000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY2(speechComesBack(voice), "no speech after the server went on");

        expectSilence(u"the sound server went away"_s);
        QCOMPARE(::kill(serverPid(), SIGKILL), 0);
        // Started again some seconds later, as a crashed server is by its session.
        stall = longestStallWhileSpeaking(voice, 8000);
        QCOMPARE(
            QProcess::execute(QStringLiteral(KELVARO_PULSE_FIXTURE), { u"start"_s, serverDir }), 0);
        QVERIFY2(stall < 1000, qPrintable(u"the thread stalled for %1 ms"_s.arg(stall)));
        QVERIFY(m_recorder.start());
        QVERIFY2(speechComesBack(voice), "no speech after the server came back");
    }

    // Paused, a helper started again stays silent; the program's next output after a paused
    // one is heard, also where the server keeps each program's last volume.
    void aPauseOutlivesAHelperButNotTheProgram()
    {
        BackgroundAudioOutput output(kHelper);
        QVERIFY(playUntilHeard(output, sound(3000)) >= 0);
        output.setVolume(0.0);
        // The pause is heard before the helper dies: on a busy machine it may die before it
        // reads the pause, and the last of the old line is then recorded after the mark.
        QVERIFY2(m_recorder.waitForQuiet(), "the pause was not heard");
        expectSilence(u"the audio helper was killed by signal 9"_s);
        const pid_t helper = audioHelper();
        QVERIFY(helper > 0);
        QCOMPARE(::kill(helper, SIGKILL), 0);
        QTRY_VERIFY(!output.isBusy());
        const qsizetype mark = m_recorder.now();
        output.play(sound(600));
        output.waitUntilPlayed();
        // PipeWire's session manager may give a new stream the volume it keeps for the program
        // for a moment before the program's own lands, on a busy machine.
        QVERIFY2(onPipeWire() || !m_recorder.heardFor(mark, 800).contains(true),
            "a helper started again is loud");
        BackgroundAudioOutput next(kHelper);
        QVERIFY2(playUntilHeard(next, sound(300)) >= 0, "the next start is silent");
        next.stop();
        QVERIFY(m_recorder.waitForQuiet());
    }
};

QTEST_MAIN(TestBackgroundAudioOutput)
#include "background_audio_output_test.moc"
