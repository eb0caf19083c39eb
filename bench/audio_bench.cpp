// Prints what the learner hears of the audio path, captured from the null sink's monitor, next
// to paplay playing the same PCM in the same run:
//   - key to first audible sample, from silence (median, p99);
//   - stepping on (a press every second, each cutting a line still heard): key to the first
//     sound of the new line, and key to the last sound of the old one;
//   - gaps longer than 20 ms inside 40 lines while the player is stopped for 200 ms in each
//     (SIGSTOP, SIGCONT), and inside 40 lines under `stress-ng --cpu 2`.
// The lines are a 1 kHz tone, the old line soft and the new one loud, so each is told apart in
// the recording. Positions are told from the recorder's arrivals (see null_sink_recorder.h),
// whose own latency is in every figure alike. Run it on a quiet machine with a server, e.g.:
//   tests/speech/pulse_fixture.sh start /tmp/kelvaro-bench   (or pipewire_fixture.sh)
//   export XDG_RUNTIME_DIR=/tmp/kelvaro-bench/runtime
//   PULSE_SERVER=unix:/tmp/kelvaro-bench/runtime/pulse/native build/ci/bench/audio_bench
//   tests/speech/pulse_fixture.sh stop /tmp/kelvaro-bench
// Naming rows (silence, stepping, stopped, stress) measures only those, e.g. to repeat one.
#include "audio_helper_notes.h"
#include "background_audio_output.h"
#include "child_processes.h"
#include "null_sink_recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = NullSinkRecorder::kRate;
constexpr qint16 kSoft = 3000, kLoudLevel = 12000;

Pcm tone(int ms, qint16 level)
{
    Pcm pcm { {}, kRate };
    for (int i = 0; i < kRate * ms / 1000; ++i)
        pcm.samples.append(qint16(std::lround(level * std::sin(2 * M_PI * 1000.0 * i / kRate))));
    return pcm;
}

// A way to play: Kelvaro's audio output, or a paplay process for each line.
class Player {
public:
    virtual ~Player() = default;
    virtual void cutAndPlay(bool loud) = 0;
    virtual void stop() = 0;
    virtual QList<pid_t> processes() = 0;
};

class KelvaroPlayer : public Player {
public:
    explicit KelvaroPlayer(const QString& helper)
        : m_output(helper)
    {
    }
    void cutAndPlay(bool loud) override
    {
        m_output.stop();
        m_output.play(loud ? m_loud : m_soft);
    }
    void stop() override { m_output.stop(); }
    QList<pid_t> processes() override { return childProcesses(QStringLiteral("kelvaro-audio")); }

private:
    BackgroundAudioOutput m_output;
    Pcm m_soft = tone(1500, kSoft), m_loud = tone(1500, kLoudLevel);
};

class PaplayPlayer : public Player {
public:
    PaplayPlayer()
    {
        for (const bool loud : { false, true }) {
            const Pcm pcm = tone(1500, loud ? kLoudLevel : kSoft);
            QFile file(
                m_dir.filePath(loud ? QStringLiteral("loud.raw") : QStringLiteral("soft.raw")));
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write the PCM");
            file.write(
                reinterpret_cast<const char*>(pcm.samples.constData()), pcm.samples.size() * 2);
        }
    }
    void cutAndPlay(bool loud) override
    {
        stop();
        m_process = std::make_unique<QProcess>();
        m_process->start(QStringLiteral("paplay"),
            { QStringLiteral("--raw"), QStringLiteral("--rate=%1").arg(kRate),
                QStringLiteral("--channels=1"), QStringLiteral("--format=s16le"),
                m_dir.filePath(loud ? QStringLiteral("loud.raw") : QStringLiteral("soft.raw")) });
    }
    void stop() override
    {
        if (m_process) {
            m_process->kill();
            m_process->waitForFinished();
            m_process.reset();
        }
    }
    QList<pid_t> processes() override
    {
        return m_process ? QList<pid_t> { pid_t(m_process->processId()) } : QList<pid_t> {};
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
};

struct Series {
    std::vector<double> values;
    int missed = 0;
    QString text() const
    {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty())
            return QStringLiteral("nothing measured (%1 missed)").arg(missed);
        const auto at = [&](double share) {
            return sorted[std::min(sorted.size() - 1, size_t(share * double(sorted.size())))];
        };
        return QStringLiteral("median %1 ms, p99 %2 ms, worst %3 ms (%4 measured, %5 missed)")
            .arg(at(0.5), 6, 'f', 1)
            .arg(at(0.99), 6, 'f', 1)
            .arg(sorted.back(), 6, 'f', 1)
            .arg(sorted.size())
            .arg(missed);
    }
};

int peakOf(const QList<qint16>& samples, qsizetype at, qsizetype size)
{
    int peak = 0;
    for (qsizetype i = at; i < std::min(at + size, samples.size()); ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}

constexpr qsizetype kWindow = kRate / 1000; // 1 ms

// From the position on: the first millisecond of the loud line, and the last of the soft one.
std::pair<qsizetype, qsizetype> newAndOld(const QList<qint16>& samples)
{
    qsizetype loudFrom = -1, softUntil = -1;
    for (qsizetype at = 0; at + kWindow <= samples.size(); at += kWindow) {
        const int peak = peakOf(samples, at, kWindow);
        if (peak > 7000 && loudFrom < 0)
            loudFrom = at;
        if (peak > 1000 && peak < 6000 && (loudFrom < 0 || at < loudFrom + 5 * kWindow))
            softUntil = at + kWindow;
    }
    return { loudFrom, softUntil };
}

double ms(qsizetype samples)
{
    return samples * 1000.0 / kRate;
}

void fromSilence(NullSinkRecorder& recorder, Player& player, Series& heard)
{
    for (int press = 0; press < 40; ++press) {
        const Clock::time_point pressed = Clock::now();
        player.cutAndPlay(true);
        const qsizetype at = recorder.positionAt(pressed);
        if (at < 0) { // the machine held the recorder up: not timed
            ++heard.missed;
            player.stop();
            continue;
        }
        recorder.waitForRecorded(at, 2000);
        const auto [loud, soft] = newAndOld(recorder.samples(at, kRate * 2));
        Q_UNUSED(soft);
        if (loud < 0)
            ++heard.missed;
        else
            heard.values.push_back(ms(loud));
        player.stop();
        QTest::qWait(300);
    }
}

void steppingOn(NullSinkRecorder& recorder, Player& player, Series& newLine, Series& oldLine)
{
    for (int press = 0; press < 40; ++press) {
        player.cutAndPlay(false);
        QTest::qWait(1000);
        const Clock::time_point pressed = Clock::now();
        player.cutAndPlay(true);
        const qsizetype at = recorder.positionAt(pressed);
        if (at < 0) { // the machine held the recorder up: not timed
            ++newLine.missed;
            player.stop();
            continue;
        }
        recorder.waitForRecorded(at, 1000);
        const auto [loud, soft] = newAndOld(recorder.samples(at, kRate));
        if (loud < 0)
            ++newLine.missed;
        else
            newLine.values.push_back(ms(loud));
        oldLine.values.push_back(soft < 0 ? 0.0 : ms(soft));
        QTest::qWait(1000);
        player.stop();
        QTest::qWait(200);
    }
}

// Lines with a gap longer than 20 ms, and the longest gap, while something disturbs each line.
std::pair<int, double> gaps(
    NullSinkRecorder& recorder, Player& player, const std::function<void(Player&)>& disturb)
{
    int withGap = 0;
    double longest = 0;
    for (int line = 0; line < 40; ++line) {
        const qsizetype mark = recorder.now();
        player.cutAndPlay(true);
        QTest::qWait(400);
        disturb(player);
        recorder.waitForRecorded(mark, 2500);
        const QList<qint16> samples = recorder.samples(mark, kRate * 5 / 2);
        qsizetype first = -1, last = -1, run = 0, worst = 0;
        for (qsizetype i = 0; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > 1000) {
                if (first >= 0)
                    worst = std::max(worst, run);
                if (first < 0)
                    first = i;
                last = i;
                run = 0;
            } else {
                ++run;
            }
        }
        Q_UNUSED(last);
        longest = std::max(longest, ms(worst));
        if (ms(worst) > 20)
            ++withGap;
        player.stop();
    }
    return { withGap, longest };
}

void stopFor200Ms(Player& player)
{
    const QList<pid_t> processes = player.processes();
    for (const pid_t pid : processes)
        ::kill(pid, SIGSTOP);
    QTest::qWait(200);
    for (const pid_t pid : processes)
        ::kill(pid, SIGCONT);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList rowNames { QStringLiteral("silence"), QStringLiteral("stepping"),
        QStringLiteral("stopped"), QStringLiteral("stress") };
    QStringList rows = app.arguments().mid(1);
    for (const QString& row : std::as_const(rows)) {
        if (!rowNames.contains(row)) {
            std::printf("usage: audio_bench [%s]...\n", qUtf8Printable(rowNames.join(u'|')));
            return 2;
        }
    }
    if (rows.isEmpty())
        rows = rowNames;
    const auto wanted = [&](const char* row) { return rows.contains(QLatin1String(row)); };
    NullSinkRecorder recorder;
    if (!recorder.start()) {
        std::printf("nothing recorded from null.monitor: start a test server first\n");
        return 1;
    }
    QProcess info;
    info.start(QStringLiteral("pactl"), { QStringLiteral("info") });
    info.waitForFinished();
    const QByteArray server = info.readAllStandardOutput();
    const qsizetype name = server.indexOf("Server Name: ");
    std::printf(
        "Server: %s\n", server.mid(name + 13, server.indexOf('\n', name) - name - 13).constData());

    KelvaroPlayer kelvaro(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kelvaro-audio"));
    PaplayPlayer paplay;
    QTest::qWait(500);
    const std::vector<std::pair<const char*, Player*>> players { { "kelvaro", &kelvaro },
        { "paplay", &paplay } };

    for (const auto& [label, player] : players) {
        if (!wanted("silence"))
            continue;
        Series heard;
        fromSilence(recorder, *player, heard);
        std::printf("%-8s key to first audible sample, from silence: %s\n", label,
            qUtf8Printable(heard.text()));
    }
    for (const auto& [label, player] : players) {
        if (!wanted("stepping"))
            continue;
        Series newLine, oldLine;
        steppingOn(recorder, *player, newLine, oldLine);
        std::printf("%-8s stepping on, key to the new line heard:     %s\n", label,
            qUtf8Printable(newLine.text()));
        std::printf("%-8s stepping on, key to the old line silent:    %s\n", label,
            qUtf8Printable(oldLine.text()));
    }
    // A gap with no underflow is the server's own: it had the whole line.
    const AudioHelperNotes notes;
    const auto ranOut = [&](Player* player, int before) {
        return player == &kelvaro
            ? u", the server ran out of its audio %1 times"_s.arg(notes.underflows() - before)
            : QString();
    };
    for (const auto& [label, player] : players) {
        if (!wanted("stopped"))
            continue;
        const int before = notes.underflows();
        const auto [lines, longest] = gaps(recorder, *player, stopFor200Ms);
        std::printf("%-8s player stopped 200 ms in each of 40 lines: %d lines with a gap over "
                    "20 ms, longest gap %.1f ms%s\n",
            label, lines, longest, qUtf8Printable(ranOut(player, before)));
    }
    if (!wanted("stress"))
        return 0;
    QProcess stress;
    stress.start(QStringLiteral("stress-ng"),
        { QStringLiteral("--cpu"), QStringLiteral("2"), QStringLiteral("--quiet") });
    if (!stress.waitForStarted()) {
        std::printf("stress-ng is missing: no figures under load\n");
        return 0;
    }
    QTest::qWait(1000);
    for (const auto& [label, player] : players) {
        const int before = notes.underflows();
        const auto [lines, longest] = gaps(recorder, *player, [](Player&) { QTest::qWait(0); });
        std::printf("%-8s under stress-ng --cpu 2, 40 lines: %d lines with a gap over 20 ms, "
                    "longest gap %.1f ms%s\n",
            label, lines, longest, qUtf8Printable(ranOut(player, before)));
    }
    ::kill(pid_t(stress.processId()), SIGINT);
    stress.waitForFinished();
    return 0;
}
