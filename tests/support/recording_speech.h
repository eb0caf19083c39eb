#pragma once

#include "audio_output.h"
#include "speech_engine.h"

#include <QString>
#include <QStringList>

// Speech parts for tests: they record what the voice asked of them, in order, as one log
// ("say <text>", "stop", "wait", "volume <gain>") so tests can check the sequence.
class RecordingEngine : public SpeechEngine {
public:
    explicit RecordingEngine(QStringList& log)
        : m_log(log)
    {
    }
    Pcm synthesize(const QString& text) override;

private:
    QStringList& m_log;
};

class RecordingAudioOutput : public AudioOutput {
public:
    explicit RecordingAudioOutput(QStringList& log)
        : m_log(log)
    {
    }
    void play(const Pcm& pcm) override;
    void stop() override;
    void setVolume(double gain) override;
    void waitUntilPlayed() override;

    double gain() const { return m_gain; }

private:
    QStringList& m_log;
    double m_gain = 1.0;
};

// A voice wired to recording parts, with the log they share.
struct RecordingSpeech {
    QStringList log;
    RecordingEngine engine { log };
    RecordingAudioOutput output { log };

    // The texts spoken so far, in order.
    QStringList spoken() const;
};
