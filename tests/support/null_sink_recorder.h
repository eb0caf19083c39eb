#pragma once

#include <QList>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// Records what the test audio server's null sink plays, from its monitor, as 16-bit mono
// samples, so a test can tell what was heard and when. Positions are in samples recorded.
// A thread of its own reads the recording and notes when each piece arrived, so a moment on
// the steady clock can be told as a position even while the test's thread is busy.
class NullSinkRecorder {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRate = 22050;
    static constexpr int kLoud = 1000;

    ~NullSinkRecorder() { end(); }

    // Starts (or starts again) recording; false if nothing comes within the timeout.
    bool start(int timeoutMs = 20000)
    {
        end();
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        const char* argv[] = { "parecord", "--device=null.monitor", "--raw", "--format=s16le",
            "--channels=1", "--rate=22050", "--latency-msec=10", nullptr };
        const int spawned
            = posix_spawnp(&m_pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        if (spawned != 0) {
            ::close(pipe[0]);
            m_pid = -1;
            return false;
        }
        m_reader = std::thread([this, fd = pipe[0]] { read(fd); });
        // A null sink renders far ahead until a low-latency client such as the recorder has
        // been attached for a while; until then every new stream starts late.
        const qsizetype from = now();
        return waitUntil([&] { return now() - from > kRate * 2; }, timeoutMs);
    }

    qsizetype now() const
    {
        const std::lock_guard lock(m_mutex);
        return m_samples.size();
    }

    // The position being recorded at that moment. Each piece read gives a bound (it was
    // recorded no later than it arrived); the tightest one wins, so a reader held up now and
    // then makes no difference. -1 when no piece arrived within 25 ms after the moment (the
    // recorder sends one every 10 ms): the machine held the reader up too long to tell.
    // Waits, handling events, until a piece arrived after.
    qsizetype positionAt(Clock::time_point moment)
    {
        waitUntil([&] { return lastArrival() > moment + std::chrono::milliseconds(100); }, 5000);
        const std::lock_guard lock(m_mutex);
        qsizetype best = -1;
        bool promptly = false;
        for (auto arrival = m_arrivals.crbegin(); arrival != m_arrivals.crend(); ++arrival) {
            if (arrival->at < moment)
                break;
            promptly = promptly || arrival->at - moment <= std::chrono::milliseconds(25);
            const double before = std::chrono::duration<double>(arrival->at - moment).count();
            best = std::max(best, arrival->position - qsizetype(before * kRate));
        }
        return promptly ? best : -1;
    }

    // Where a moment fell in the recording, for timing what came after it: the recording may
    // run behind on a busy machine, so the position recorded by then (given) lies before it.
    // That position is the answer only when the moment cannot be told (see positionAt).
    qsizetype positionAt(Clock::time_point moment, qsizetype recordedByThen)
    {
        const qsizetype at = positionAt(moment);
        return at >= 0 ? at : recordedByThen;
    }

    // Waits, handling events, until the condition holds; false if it never did in time.
    template <typename Condition> static bool waitUntil(Condition condition, int timeoutMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    bool waitForRecorded(qsizetype from, int milliseconds, int timeoutMs = 20000)
    {
        return waitUntil(
            [&] { return now() - from >= qsizetype(kRate) * milliseconds / 1000; }, timeoutMs);
    }

    // Waits until the last 300 ms were silent, so that the end of an earlier sound is not
    // taken for the next one.
    bool waitForQuiet()
    {
        return waitUntil([&] { return !heardSince(now() - kRate * 3 / 10); }, 5000);
    }

    // For each 10 ms of the given milliseconds from the position on, whether it was loud; a
    // failure of the test when the recorder fell behind and they were never recorded.
    QList<bool> heardFor(qsizetype from, int milliseconds)
    {
        if (!waitForRecorded(from, milliseconds))
            QTest::qFail("the recorder fell behind", __FILE__, __LINE__);
        return loudness(from).mid(0, milliseconds / 10);
    }

    // For each 10 ms recorded from the position on, whether it was loud.
    QList<bool> loudness(qsizetype from) const
    {
        const std::lock_guard lock(m_mutex);
        const int window = kRate / 100;
        QList<bool> loud;
        for (qsizetype at = std::max<qsizetype>(from, 0); at + window <= m_samples.size();
             at += window)
            loud.append(std::any_of(m_samples.cbegin() + at, m_samples.cbegin() + at + window,
                [](qint16 sample) { return std::abs(sample) > kLoud; }));
        return loud;
    }

    bool heardSince(qsizetype from) const { return loudness(from).contains(true); }

    QList<qint16> samples(qsizetype from, qsizetype count) const
    {
        const std::lock_guard lock(m_mutex);
        from = std::clamp<qsizetype>(from, 0, m_samples.size());
        return m_samples.mid(from, std::min(count, m_samples.size() - from));
    }

private:
    struct Arrival {
        Clock::time_point at;
        qsizetype position; // samples recorded by then
    };

    Clock::time_point lastArrival() const
    {
        const std::lock_guard lock(m_mutex);
        return m_arrivals.empty() ? Clock::time_point() : m_arrivals.back().at;
    }

    void read(int fd)
    {
        char buffer[4096];
        QByteArray pending; // an odd byte waits for its other half
        for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
            const Clock::time_point at = Clock::now();
            pending.append(buffer, got);
            const std::lock_guard lock(m_mutex);
            for (qsizetype i = 0; i + 1 < pending.size(); i += 2)
                m_samples.append(qFromLittleEndian<qint16>(pending.constData() + i));
            pending = pending.right(pending.size() % 2);
            m_arrivals.push_back({ at, m_samples.size() });
        }
        ::close(fd);
    }

    void end()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
        if (m_reader.joinable())
            m_reader.join();
        const std::lock_guard lock(m_mutex);
        m_samples.clear();
        m_arrivals.clear();
    }

    pid_t m_pid = -1;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    QList<qint16> m_samples;
    std::vector<Arrival> m_arrivals;
};
