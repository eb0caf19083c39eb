#include "recording_speech.h"

Pcm RecordingEngine::synthesize(const QString& text)
{
    m_log.append(QStringLiteral("say ") + text);
    Pcm pcm;
    pcm.samples.fill(1000, 100);
    return pcm;
}

void RecordingAudioOutput::play(const Pcm&) { }

void RecordingAudioOutput::stop()
{
    m_log.append(QStringLiteral("stop"));
}

void RecordingAudioOutput::setVolume(double gain)
{
    m_gain = gain;
    m_log.append(QStringLiteral("volume ") + QString::number(gain));
}

void RecordingAudioOutput::waitUntilPlayed()
{
    m_log.append(QStringLiteral("wait"));
}

QStringList RecordingSpeech::spoken() const
{
    QStringList texts;
    for (const QString& entry : log) {
        if (entry.startsWith(QStringLiteral("say ")))
            texts.append(entry.mid(4));
    }
    return texts;
}
