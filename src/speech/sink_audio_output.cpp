#include "sink_audio_output.h"

#include "speech_log.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

// Small, so that a stop or a volume change is heard within a fraction of it.
constexpr int kBufferMilliseconds = 100;
constexpr std::chrono::milliseconds kFeedInterval { 10 };
// How long past its own length an utterance may take before the device counts as stalled.
constexpr qint64 kSafetyMarginMilliseconds = 1000;
// Quieter than this is leading silence or dither, not yet speech.
constexpr int kAudibleLevel = 500;

QByteArray bytesOf(const Pcm& pcm)
{
    return QByteArray(reinterpret_cast<const char*>(pcm.samples.constData()),
        pcm.samples.size() * qsizetype(sizeof(qint16)));
}

bool containsAudible(const char* bytes, qsizetype size)
{
    const auto* samples = reinterpret_cast<const qint16*>(bytes);
    return std::any_of(samples, samples + size / qsizetype(sizeof(qint16)),
        [](qint16 sample) { return std::abs(sample) > kAudibleLevel; });
}

} // namespace

SinkAudioOutput::SinkAudioOutput(CutPending cutPending)
    : m_cutPending(std::move(cutPending))
{
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
    if (pcm.isEmpty() || pcm.sampleRate <= 0)
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
    m_gain = std::clamp(gain, 0.0, 1.0);
    if (m_sink)
        m_sink->setVolume(m_gain);
}

void SinkAudioOutput::startNext()
{
    while (!m_queue.empty()) {
        const Pcm pcm = std::move(m_queue.front());
        m_queue.pop_front();
        // Opening may wait on a hung server for half a minute; what was asked meanwhile wins.
        if (!openSink(pcm.sampleRate) || (m_cutPending && m_cutPending())) {
            dropEverything();
            emit drained();
            return;
        }
        m_playing = bytesOf(pcm);
        // Audio shorter than the device's buffer never reaches its start threshold.
        const qsizetype minimum = std::max<qsizetype>(
            m_sink->bufferSize(), m_bytesPerSecond * kBufferMilliseconds / 1000);
        if (m_playing.size() < minimum)
            m_playing.append(minimum - m_playing.size(), '\0');
        m_written = 0;
        m_audibleWritten = false;
        m_playingSince.start();
        m_tookAudioLast.start();
        feed();
        if (m_stream)
            m_feedTimer.start();
        return;
    }
}

bool SinkAudioOutput::openSink(int sampleRate)
{
    if (m_device.isNull())
        m_device = QMediaDevices::defaultAudioOutput();
    if (m_device.isNull()) {
        reportLost("no audio output device can be reached");
        return false;
    }
    if (!m_sink || m_sink->format().sampleRate() != sampleRate) {
        dropSink();
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
    reportLost("the sound server refused to play");
    // A sink that failed once is not trusted again: the next line makes a new one.
    dropSink();
    return false;
}

void SinkAudioOutput::dropSink()
{
    if (!m_sink)
        return;
    m_sink->disconnect(this);
    m_sink.release()->deleteLater();
    m_device = QAudioDevice();
}

void SinkAudioOutput::feed()
{
    if (!m_stream)
        return;
    if (m_cutPending && m_cutPending()) {
        stop();
        return;
    }
    const qsizetype left = m_playing.size() - m_written;
    qsizetype chunk = std::min<qsizetype>(left, m_sink->bytesFree());
    chunk -= chunk % qsizetype(sizeof(qint16));
    if (chunk > 0) {
        const char* piece = m_playing.constData() + m_written;
        const qint64 written = m_stream->write(piece, chunk);
        if (written < 0) {
            reportLost("writing to the sound server failed");
            stop();
            return;
        }
        if (!m_audibleWritten && containsAudible(piece, written)) {
            m_audibleWritten = true;
            emit firstAudibleWritten();
        }
        m_written += written;
        if (written > 0)
            m_tookAudioLast.restart();
    }
    // A device that stops taking audio, or never reports the end, must not hold up what is
    // queued after it. A server may start a stream late and then take the audio behind time:
    // while it still takes some, it has not stopped.
    if (m_playingSince.elapsed() <= playingMilliseconds() + kSafetyMarginMilliseconds)
        return;
    if (m_written >= m_playing.size()) {
        finishUtterance();
    } else if (m_tookAudioLast.elapsed() > kSafetyMarginMilliseconds) {
        reportLost("the sound device stopped taking audio");
        finishUtterance();
    }
}

void SinkAudioOutput::onStateChanged(QAudio::State state)
{
    if (!m_stream)
        return;
    if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        reportLost("the sound server stopped playing");
        dropEverything();
        dropSink();
        emit drained();
        return;
    }
    // The sink also turns idle when it starts and whenever its thread stalls long enough to
    // drain its buffer: only idle after the last piece was written means played out.
    if (state == QAudio::IdleState && m_written >= m_playing.size()) {
        if (m_lost)
            qCInfo(lcSpeech, "the sound server plays again");
        m_lost = false;
        emit playedOut();
        finishUtterance();
    }
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

void SinkAudioOutput::reportLost(const char* what)
{
    if (!m_lost) {
        m_lost = true;
        qCWarning(lcSpeech, "%s", what);
    }
    emit lost();
}

qint64 SinkAudioOutput::playingMilliseconds() const
{
    return m_bytesPerSecond > 0 ? m_playing.size() * 1000 / m_bytesPerSecond : 0;
}
