#pragma once

#include "speech_engine.h"

#include <QString>

#include <chrono>

// Speech rendered in memory by the embedded espeak-ng library, with its English voice.
// espeak-ng keeps one state per process and cannot be started again once shut down, so the
// first engine starts it for the life of the process, with that engine's data path, and
// later engines share it. Without its voice data an engine renders nothing, after one
// warning, so the program goes on silently.
class EspeakEngine : public SpeechEngine {
public:
    // A line this long when spoken is cut here: it keeps one huge line from freezing the
    // window while it renders (two minutes of audio take about a fifth of a second).
    static constexpr std::chrono::milliseconds kMaxSpeechLength = std::chrono::minutes(2);

    // An empty data path means espeak-ng's own installed data.
    explicit EspeakEngine(
        const QString& dataPath = {}, std::chrono::milliseconds maxSpeechLength = kMaxSpeechLength);

    bool isAvailable() const { return m_sampleRate > 0; }
    int sampleRate() const { return m_sampleRate; }

    // UTF-8 text to mono 16-bit audio; empty when the engine is unavailable.
    // Always speaks with espeak-ng's own English voice, whichever voice is asked for.
    Pcm synthesize(const QString& text, EnglishVoice voice) override;

private:
    int m_sampleRate = 0;
    qsizetype m_maxSamples = 0;
};
