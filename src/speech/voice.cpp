#include "voice.h"

#include "audio_output.h"
#include "speech_log.h"

#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <chrono>

Voice::Voice(SpeechEngine& engine, AudioOutput& output)
    : m_output(output)
    , m_renderer(engine, output)
{
    m_output.setVolume(m_volume / 100.0);
}

void Voice::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    m_output.setVolume(m_volume / 100.0);
}

void Voice::Speak(const QString& text, int flags)
{
    if (flags & SVSFPurgeBeforeSpeak)
        m_renderer.cut();
    if (text.isEmpty())
        return;
    const quint64 ticket = m_renderer.say(text, m_englishVoice, m_pace);
    if (flags & SVSFlagsAsync)
        return;
    waitUntilHandedOver(ticket);
    m_output.waitUntilPlayed();
}

void Voice::SayNow(const QString& text)
{
    Speak(QString(), SVSFPurgeBeforeSpeak);
    Speak(text, SVSFlagsAsync);
}

void Voice::SayAndWait(const QString& text)
{
    Speak(QString(), SVSFPurgeBeforeSpeak);
    Speak(text, SVSFDefault);
}

void Voice::prefetch(const QStringList& likelyNext)
{
    m_renderer.prefetch(likelyNext, m_englishVoice, m_pace);
}

void Voice::greet(const QString& text)
{
    Speak(text, SVSFlagsAsync);
}

void Voice::waitUntilHandedOver(quint64 ticket)
{
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
