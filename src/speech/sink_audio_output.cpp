#include "sink_audio_output.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>

#include <algorithm>
#include <chrono>

namespace {

// Small, so that a stop or a volume change is heard within a fraction of it.
constexpr int kBufferMilliseconds = 100;
constexpr std::chrono::milliseconds kFeedInterval { 10 };
// How long past its own length an utterance may take before the device counts as stalled.
constexpr qint64 kSafetyMarginMilliseconds = 1000;

QByteArray bytesOf(const Pcm& pcm)
{
    return QByteArray(reinterpret_cast<const char*>(pcm.samples.constData()),
        pcm.samples.size() * qsizetype(sizeof(qint16)));
}

} // namespace

SinkAudioOutput::SinkAudioOutput(QObject* parent)
    : SinkAudioOutput(QMediaDevices::defaultAudioOutput(), parent)
{
}

SinkAudioOutput::SinkAudioOutput(const QAudioDevice& device, QObject* parent)
    : QObject(parent)
    , m_device(device)
{
    if (m_device.isNull())
        reportNoAudioService();
    m_feedTimer.setInterval(kFeedInterval);
    m_feedTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_feedTimer, &QTimer::timeout, this, &SinkAudioOutput::feed);
}

SinkAudioOutput::~SinkAudioOutput()
{
    m_feedTimer.stop();
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
    }
}

bool SinkAudioOutput::isBusy() const
{
    return m_stream || !m_queue.empty();
}

void SinkAudioOutput::play(const Pcm& pcm)
{
    if (!isAvailable() || m_exiting || pcm.isEmpty() || pcm.sampleRate <= 0)
        return;
    m_queue.push_back(pcm);
    if (!m_stream)
        startNext();
}

void SinkAudioOutput::stop()
{
    const bool wasBusy = isBusy();
    dropEverything();
    if (wasBusy)
        emit drained();
}

void SinkAudioOutput::setVolume(double gain)
{
    if (m_exiting)
        return;
    m_gain = std::clamp(gain, 0.0, 1.0);
    if (m_sink)
        m_sink->setVolume(m_gain);
}

void SinkAudioOutput::waitUntilPlayed()
{
    if (!isBusy())
        return;
    QEventLoop loop;
    connect(this, &SinkAudioOutput::drained, &loop, &QEventLoop::quit);
    QTimer::singleShot(pendingMilliseconds() + kSafetyMarginMilliseconds, &loop, &QEventLoop::quit);
    // Repaints go on so the learner sees what is being said; keys wait until it is said.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void SinkAudioOutput::silenceForExit()
{
    m_exiting = true;
    m_feedTimer.stop();
    m_queue.clear();
    m_stream = nullptr;
    m_gain = 0.0;
    if (m_sink)
        m_sink->setVolume(0.0);
}

void SinkAudioOutput::startNext()
{
    if (m_queue.empty())
        return;
    const Pcm pcm = std::move(m_queue.front());
    m_queue.pop_front();
    if (!openSink(pcm.sampleRate)) {
        dropEverything();
        emit drained();
        return;
    }
    m_playing = bytesOf(pcm);
    // Audio shorter than the device's buffer never reaches its start threshold.
    const qsizetype minimum
        = std::max<qsizetype>(m_sink->bufferSize(), m_bytesPerSecond * kBufferMilliseconds / 1000);
    if (m_playing.size() < minimum)
        m_playing.append(minimum - m_playing.size(), '\0');
    m_written = 0;
    m_playingSince.start();
    feed();
    m_feedTimer.start();
}

bool SinkAudioOutput::openSink(int sampleRate)
{
    if (!m_sink || m_sink->format().sampleRate() != sampleRate) {
        if (m_sink)
            m_sink.release()->deleteLater();
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = std::make_unique<QAudioSink>(m_device, format);
        m_bytesPerSecond = format.bytesForDuration(1000000);
        connect(m_sink.get(), &QAudioSink::stateChanged, this, &SinkAudioOutput::onStateChanged);
    }
    // The sink asks for the buffer the server granted last time, which shrinks on every
    // start until playback breaks up: ask for the same small buffer each time.
    m_sink->setBufferSize(m_bytesPerSecond * kBufferMilliseconds / 1000);
    m_sink->setVolume(m_gain);
    m_stream = m_sink->start();
    if (m_stream && m_sink->error() == QAudio::NoError)
        return true;
    m_stream = nullptr;
    reportNoAudioService();
    return false;
}

void SinkAudioOutput::feed()
{
    if (!m_stream)
        return;
    const qsizetype left = m_playing.size() - m_written;
    qsizetype chunk = std::min<qsizetype>(left, m_sink->bytesFree());
    chunk -= chunk % qsizetype(sizeof(qint16));
    if (chunk > 0) {
        const qint64 written = m_stream->write(m_playing.constData() + m_written, chunk);
        if (written > 0) {
            const bool first = m_written == 0;
            m_written += written;
            if (first)
                emit firstFrameWritten();
        }
    }
    // A device that never reports the end must not hold up what is queued after it.
    if (m_written >= m_playing.size()
        && m_playingSince.elapsed() > playingMilliseconds() + kSafetyMarginMilliseconds)
        finishUtterance();
}

void SinkAudioOutput::onStateChanged(QAudio::State state)
{
    if (!m_stream)
        return;
    if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        reportNoAudioService();
        stop();
        return;
    }
    // The sink also turns idle when it starts and whenever the window stalls long enough
    // to drain its buffer: only idle after the last piece was written means played out.
    if (state == QAudio::IdleState && m_written >= m_playing.size())
        finishUtterance();
}

void SinkAudioOutput::finishUtterance()
{
    m_feedTimer.stop();
    m_stream = nullptr;
    m_playing.clear();
    m_written = 0;
    m_sink->stop();
    if (m_queue.empty())
        emit drained();
    else
        startNext();
}

void SinkAudioOutput::dropEverything()
{
    m_feedTimer.stop();
    m_queue.clear();
    m_playing.clear();
    m_written = 0;
    if (m_stream) {
        m_stream = nullptr;
        m_sink->stop();
    }
}

void SinkAudioOutput::reportNoAudioService()
{
    if (m_warnedNoAudioService)
        return;
    m_warnedNoAudioService = true;
    qWarning("Speech needs a running audio service (PulseAudio or PipeWire), and none could "
             "be reached: the drill goes on silently.");
}

qint64 SinkAudioOutput::playingMilliseconds() const
{
    return m_bytesPerSecond > 0 ? m_playing.size() * 1000 / m_bytesPerSecond : 0;
}

qint64 SinkAudioOutput::pendingMilliseconds() const
{
    qint64 total = 0;
    if (m_stream)
        total = std::max<qint64>(0, playingMilliseconds() - m_playingSince.elapsed());
    for (const Pcm& pcm : m_queue)
        total += pcm.samples.size() * 1000 / std::max(1, pcm.sampleRate);
    return total;
}
