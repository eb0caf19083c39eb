#pragma once

#include "audio_output.h"
#include "speech_engine.h"

#include <QStringList>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

// What the engine rendered and what the output was asked, in one log that is safe to read
// while the voice's threads write it.
struct SpeechLog {
    // What the output was asked, in order: "say <text>", "stop" and "wait".
    QStringList said() const { return read(log); }
    // Each text the engine rendered, in order, as "<voice name>:<pace name>:<text>", leaving
    // out the voice and the pace where they are the default.
    QStringList renderings() const { return read(rendered); }
    double volume() const { return read(gain); }
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
    template <typename Value> Value read(const Value& value) const
    {
        const std::lock_guard lock(mutex);
        return value;
    }

    mutable std::mutex mutex;
    QStringList log;
    QStringList rendered;
    double gain = -1;
};

// Renders each text as a loud first sample followed by the text's UTF-16 code units, so
// that what is played tells what was said; takes renderTime for each text, like a slow
// engine.
struct RecordingEngine : SpeechEngine {
    Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace) override
    {
        std::this_thread::sleep_for(renderTime);
        QString rendering = text;
        if (pace != DefaultSpeechPace)
            rendering = speechPaceName(pace) + u':' + rendering;
        if (voice != DefaultEnglishVoice)
            rendering = englishVoiceName(voice) + u':' + rendering;
        journal->append(journal->rendered, rendering);
        Pcm pcm;
        pcm.samples.append(30000);
        for (const QChar c : text)
            pcm.samples.append(qint16(c.unicode()));
        return pcm;
    }
    std::chrono::milliseconds renderTime { 0 };
    SpeechLog* journal = nullptr; // the log RecordingSpeech gives it
};

// Logs what it is given to play; calls onWait while waiting, on the waiting thread.
struct RecordingAudioOutput : AudioOutput {
    void play(const Pcm& pcm) override
    {
        QString text;
        for (const qint16 sample : pcm.samples.mid(1)) // an engine's silence has no mark
            text.append(QChar(char16_t(sample)));
        journal->append(journal->log, QStringLiteral("say ") + text);
    }
    void stop() override { journal->append(journal->log, QStringLiteral("stop")); }
    void setVolume(double gain) override
    {
        const std::lock_guard lock(journal->mutex);
        journal->gain = gain;
    }
    void waitUntilPlayed() override
    {
        journal->append(journal->log, QStringLiteral("wait"));
        onWait();
    }
    std::function<void()> onWait = [] {};
    SpeechLog* journal = nullptr; // the log RecordingSpeech gives it
};

// Both parts with one log.
struct RecordingSpeech : SpeechLog {
    RecordingSpeech()
    {
        engine.journal = this;
        output.journal = this;
    }
    RecordingEngine engine;
    RecordingAudioOutput output;
};
