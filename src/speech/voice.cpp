#include "voice.h"

#include "audio_output.h"
#include "speech_log.h"

#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <chrono>

Voice::Voice(SpeechEngine& engine, AudioOutput& output, SpeechStart start)
    : m_output(output)
    , m_renderer(engine, output, start)
{
    m_output.setVolume(m_volume / 100.0);
}

void Voice::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    m_output.setVolume(m_volume / 100.0);
}

void Voice::SayNow(const QString& text)
{
    m_renderer.cut();
    if (!text.isEmpty())
        m_renderer.say(text, m_englishVoice, m_pace);
}

void Voice::SayAndWait(const QString& text)
{
    m_renderer.cut();
    if (text.isEmpty())
        return;
    waitUntilHandedOver(m_renderer.say(text, m_englishVoice, m_pace));
    m_output.waitUntilPlayed();
}

void Voice::prefetch(const QStringList& likelyNext)
{
    m_renderer.prefetch(likelyNext, m_englishVoice, m_pace);
}

void Voice::greet(const QString& text)
{
    if (!text.isEmpty())
        m_renderer.say(text, m_englishVoice, m_pace);
}

void Voice::silence()
{
    m_renderer.cut();
}

void Voice::waitUntilHandedOver(quint64 ticket)
{
    // Whoever waits for speech wants it now, even from a voice that was to start later.
    m_renderer.start();
    if (m_renderer.isSettled(ticket))
        return;
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout(&loop, [&] {
        if (m_renderer.isSettled(ticket))
            loop.quit();
    });
    poll.start(std::chrono::milliseconds(2));
    QTimer::singleShot(kRenderWaitMilliseconds, &loop, [&] {
        qCWarning(lcSpeech, "A text took more than %d s to render: the drill goes on without it.",
            kRenderWaitMilliseconds / 1000);
        loop.quit();
    });
    loop.exec();
}
