#pragma once

#include "pcm.h"

#include <QString>

// espeak-ng's English ("en") and Japanese ("ja") voices, rendering in memory. espeak-ng
// keeps one state per process and cannot be started twice: every object shares it, with the
// data folder the first one named, and only one thread at a time may use any of them.
class EspeakVoices {
public:
    enum class Language { English, Japanese };

    // An empty data folder means espeak-ng's own installed data.
    explicit EspeakVoices(const QString& dataDir = {});

    bool isAvailable() const { return m_sampleRate > 0; }
    // Why the engine is off; empty when it works.
    QString failure() const { return m_failure; }
    int sampleRate() const { return m_sampleRate; }

    // At most maxSamples samples of the text, spoken at rate times the voice's own pace. A
    // call that fails is reported through lcSpeech, each cause once; reaching maxSamples is
    // no failure.
    Pcm render(const QString& text, Language language, qsizetype maxSamples, double rate = 1.0);
    // The text as espeak-ng reads it, in IPA: what a learner would hear, without audio.
    QString phonemes(const QString& text, Language language);

private:
    bool select(Language language);

    int m_sampleRate = 0;
    int m_ownRate = 0; // words a minute at the normal pace
    QString m_failure;
    // The voice espeak-ng has set, shared like espeak-ng itself.
    static inline Language s_selected = Language::English;
};
