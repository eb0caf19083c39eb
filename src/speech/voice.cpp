#include "voice.h"

#include "audio_output.h"
#include "speech_engine.h"

#include <QString>

#include <algorithm>

Voice::Voice(SpeechEngine& engine, AudioOutput& output)
    : m_engine(engine)
    , m_output(output)
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
        m_output.stop();
    if (text.isEmpty())
        return;
    // Rendering is synchronous and fast: a line of drill text takes a few milliseconds.
    m_output.play(m_engine.synthesize(text, m_englishVoice));
    if (!(flags & SVSFlagsAsync))
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

void Voice::greet(const QString& text)
{
    Speak(text, SVSFlagsAsync);
}
