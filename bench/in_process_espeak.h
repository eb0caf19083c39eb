#pragma once

#include "espeak_voices.h"
#include "speech_engine.h"

#include <chrono>

// The way the program spoke before its speech helper, kept as the benchmarks' baseline:
// espeak-ng's English voice rendering the whole line in the calling process, whichever voice
// is asked for.
class InProcessEspeak : public SpeechEngine {
public:
    bool isAvailable() const { return m_voices.isAvailable(); }

    Pcm synthesize(const QString& text, EnglishVoice, SpeechPace) override
    {
        const qsizetype maxSamples
            = qsizetype(std::chrono::seconds(std::chrono::minutes(2)).count())
            * m_voices.sampleRate();
        return m_voices.render(text, EspeakVoices::Language::English, maxSamples);
    }

private:
    EspeakVoices m_voices;
};
