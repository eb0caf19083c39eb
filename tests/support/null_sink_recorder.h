#pragma once

#include <QDeadlineTimer>
#include <QList>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdlib>

// Records what the test audio server's null sink plays, from its monitor, as 16-bit mono
// samples, so a test can tell what was heard and when. Positions are in samples recorded.
class NullSinkRecorder : public QObject {
public:
    static constexpr int kRate = 22050;
    static constexpr int kLoud = 1000;

    NullSinkRecorder()
    {
        connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this] { m_bytes += m_process.readAllStandardOutput(); });
    }
    ~NullSinkRecorder() override
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Starts (or starts again) recording; false if nothing comes within the timeout.
    bool start(int timeoutMs = 20000)
    {
        m_process.kill();
        m_process.waitForFinished();
        m_process.start(QStringLiteral("parecord"),
            { QStringLiteral("--device=null.monitor"), QStringLiteral("--raw"),
                QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--latency-msec=10") });
        // A null sink renders far ahead until a low-latency client such as the recorder has
        // been attached for a while; until then every new stream starts late.
        const qsizetype from = now();
        return waitUntil([&] { return now() - from > kRate * 2; }, timeoutMs);
    }

    qsizetype now() const { return m_bytes.size() / 2; }

    // Waits, handling events, until the condition holds; false if it never did in time.
    template <typename Condition> static bool waitUntil(Condition condition, int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(10);
        }
        return true;
    }

    // Waits until the given milliseconds have been recorded after the position.
    bool waitForRecorded(qsizetype from, int milliseconds, int timeoutMs = 20000)
    {
        return waitUntil(
            [&] { return now() - from >= qsizetype(kRate) * milliseconds / 1000; }, timeoutMs);
    }

    // For each 10 ms recorded from the position on, whether it was loud.
    QList<bool> loudness(qsizetype from) const
    {
        const auto* samples = reinterpret_cast<const qint16*>(m_bytes.constData());
        const int window = kRate / 100;
        QList<bool> loud;
        for (qsizetype at = from; at + window <= now(); at += window)
            loud.append(std::any_of(samples + at, samples + at + window,
                [](qint16 sample) { return std::abs(sample) > kLoud; }));
        return loud;
    }

    bool heardSince(qsizetype from) const { return loudness(from).contains(true); }

private:
    QProcess m_process;
    QByteArray m_bytes;
};
