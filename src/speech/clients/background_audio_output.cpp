#include "background_audio_output.h"

#include "audio_helper_client.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {

// How long past the queued audio's length a wait may take before the device counts as stalled.
constexpr qint64 kSafetyMarginMilliseconds = 1000;
// How often a waiting caller looks whether the audio has been heard; a small fraction of
// any utterance.
constexpr std::chrono::milliseconds kWaitPoll { 5 };

qint64 lengthMilliseconds(const Pcm& pcm)
{
    return pcm.sampleRate > 0 ? pcm.samples.size() * 1000 / pcm.sampleRate : 0;
}

} // namespace

BackgroundAudioOutput::BackgroundAudioOutput(const QString& helperPath, SpeechStart start)
    : m_helperPath(helperPath)
{
    m_clock.start();
    m_thread.setObjectName(QStringLiteral("kelvaro-audio"));
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_thread.start();
    if (start == SpeechStart::AtOnce)
        this->start();
}

void BackgroundAudioOutput::start()
{
    if (m_started.exchange(true))
        return;
    QMetaObject::invokeMethod(m_context, [this] {
        m_sink = new AudioHelperClient(m_helperPath);
        connect(m_sink, &AudioHelperClient::drained, m_context, [this] { noteSinkState(); });
        applyRequests();
    });
}

BackgroundAudioOutput::~BackgroundAudioOutput()
{
    QMetaObject::invokeMethod(m_context, [this] {
        delete m_sink;
        m_sink = nullptr;
        m_thread.quit();
    });
    m_thread.wait();
}

void BackgroundAudioOutput::play(const Pcm& pcm)
{
    if (pcm.isEmpty() || pcm.sampleRate <= 0 || m_exiting)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_requests.push_back(pcm);
        m_queuedUntil = std::max(m_queuedUntil, m_clock.elapsed()) + lengthMilliseconds(pcm);
    }
    start();
    wakeAudioThread();
}

void BackgroundAudioOutput::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_queuedUntil = m_clock.elapsed();
        ++m_cuts;
    }
    wakeAudioThread();
}

void BackgroundAudioOutput::setVolume(double gain)
{
    if (m_exiting)
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_gain = std::clamp(gain, 0.0, 1.0);
    }
    wakeAudioThread();
}

void BackgroundAudioOutput::silenceForExit()
{
    m_exiting = true;
    const std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_gain = 0.0;
    ++m_cuts;
}

bool BackgroundAudioOutput::isBusy() const
{
    const std::lock_guard lock(m_mutex);
    return !m_requests.empty() || m_applying || m_sinkBusy;
}

void BackgroundAudioOutput::waitUntilPlayed()
{
    if (!isBusy())
        return;
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout(&loop, [&] {
        if (!isBusy())
            loop.quit();
    });
    poll.start(kWaitPoll);
    // A coarse timer, Qt's choice for two seconds and more, may end the wait 5 % early: before
    // a long line has been heard.
    QTimer::singleShot(pendingMilliseconds() + kSafetyMarginMilliseconds, Qt::PreciseTimer, &loop,
        &QEventLoop::quit);
    loop.exec();
}

qint64 BackgroundAudioOutput::pendingMilliseconds() const
{
    const std::lock_guard lock(m_mutex);
    return std::max<qint64>(0, m_queuedUntil - m_clock.elapsed());
}

void BackgroundAudioOutput::wakeAudioThread()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_wakePosted)
            return;
        m_wakePosted = true;
        // Busy from now until the audio thread has had its say.
        m_applying = true;
    }
    QMetaObject::invokeMethod(m_context, [this] { applyRequests(); });
}

// On the audio thread. Requests that piled up while the sink was blocked are applied at once:
// only what came after the last cut is played.
void BackgroundAudioOutput::applyRequests()
{
    if (!m_sink)
        return;
    std::deque<Pcm> plays;
    double gain = 1.0;
    quint64 cuts = 0;
    {
        const std::lock_guard lock(m_mutex);
        m_wakePosted = false;
        m_applying = true;
        plays.swap(m_requests);
        gain = m_gain;
        cuts = m_cuts;
    }
    if (cuts != m_cutsApplied) {
        m_cutsApplied = cuts;
        m_sink->stop();
    }
    if (gain != m_gainApplied) {
        m_gainApplied = gain;
        m_sink->setVolume(gain);
    }
    for (const Pcm& pcm : plays)
        m_sink->play(pcm);
    noteSinkState();
}

void BackgroundAudioOutput::noteSinkState()
{
    const std::lock_guard lock(m_mutex);
    m_sinkBusy = m_sink && m_sink->isBusy();
    m_applying = m_wakePosted;
}
