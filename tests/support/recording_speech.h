#pragma once

#include "audio_output.h"
#include "speech_engine.h"

#include <QStringList>

// Speech parts that record what the voice asked of them, in order, in one log shared by
// both: "say <text>", "stop" and "wait".
struct RecordingEngine : SpeechEngine {
    explicit RecordingEngine(QStringList& sharedLog)
        : log(sharedLog)
    {
    }
    Pcm synthesize(const QString& text, EnglishVoice) override
    {
        log.append(QStringLiteral("say ") + text);
        return { QList<qint16>(100, 1000) };
    }
    QStringList& log;
};

struct RecordingAudioOutput : AudioOutput {
    explicit RecordingAudioOutput(QStringList& sharedLog)
        : log(sharedLog)
    {
    }
    void play(const Pcm&) override { }
    void stop() override { log.append(QStringLiteral("stop")); }
    void setVolume(double) override { }
    void waitUntilPlayed() override { log.append(QStringLiteral("wait")); }
    QStringList& log;
};

struct RecordingSpeech {
    QStringList log;
    RecordingEngine engine { log };
    RecordingAudioOutput output { log };
};
