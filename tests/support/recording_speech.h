#pragma once

#include "audio_output.h"
#include "speech_engine.h"

#include <QStringList>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

struct RecordingSpeech;

// Renders each text as a loud first sample followed by the text's UTF-16 code units, so
// that what is played tells what was said; takes renderTime for each text, like a slow
// engine.
struct RecordingEngine : SpeechEngine {
    explicit RecordingEngine(RecordingSpeech& speech)
        : m_speech(speech)
    {
    }
    Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace) override;
    std::chrono::milliseconds renderTime { 0 };

private:
    RecordingSpeech& m_speech;
};

// Records "say <text>" for what it is given to play, "stop" and "wait"; calls onWait while
// waiting, on the waiting thread.
struct RecordingAudioOutput : AudioOutput {
    explicit RecordingAudioOutput(RecordingSpeech& speech)
        : m_speech(speech)
    {
    }
    void play(const Pcm& pcm) override;
    void stop() override;
    void setVolume(double gain) override;
    void waitUntilPlayed() override;
    std::function<void()> onWait = [] {};

private:
    RecordingSpeech& m_speech;
};

// Both parts with one log, safe to read while the voice's threads write it.
struct RecordingSpeech {
    // What the output was asked, in order.
    QStringList said() const
    {
        const std::lock_guard lock(mutex);
        return log;
    }
    // Each text the engine rendered, in order, as "<voice name>:<pace name>:<text>", leaving
    // out the voice and the pace where they are the default.
    QStringList renderings() const
    {
        const std::lock_guard lock(mutex);
        return rendered;
    }
    double volume() const
    {
        const std::lock_guard lock(mutex);
        return gain;
    }
    void clear()
    {
        const std::lock_guard lock(mutex);
        log.clear();
        rendered.clear();
    }
    void append(QStringList& list, const QString& entry)
    {
        const std::lock_guard lock(mutex);
        list.append(entry);
    }

    mutable std::mutex mutex;
    QStringList log;
    QStringList rendered;
    double gain = -1;
    RecordingEngine engine { *this };
    RecordingAudioOutput output { *this };
};

inline Pcm RecordingEngine::synthesize(const QString& text, EnglishVoice voice, SpeechPace pace)
{
    std::this_thread::sleep_for(renderTime);
    QString rendering = text;
    if (pace != DefaultSpeechPace)
        rendering = speechPaceName(pace) + u':' + rendering;
    if (voice != DefaultEnglishVoice)
        rendering = englishVoiceName(voice) + u':' + rendering;
    m_speech.append(m_speech.rendered, rendering);
    Pcm pcm;
    pcm.samples.append(30000);
    for (const QChar c : text)
        pcm.samples.append(qint16(c.unicode()));
    return pcm;
}

inline void RecordingAudioOutput::play(const Pcm& pcm)
{
    QString text;
    for (const qint16 sample : pcm.samples.sliced(1))
        text.append(QChar(char16_t(sample)));
    m_speech.append(m_speech.log, QStringLiteral("say ") + text);
}

inline void RecordingAudioOutput::stop()
{
    m_speech.append(m_speech.log, QStringLiteral("stop"));
}

inline void RecordingAudioOutput::setVolume(double gain)
{
    const std::lock_guard lock(m_speech.mutex);
    m_speech.gain = gain;
}

inline void RecordingAudioOutput::waitUntilPlayed()
{
    m_speech.append(m_speech.log, QStringLiteral("wait"));
    onWait();
}
