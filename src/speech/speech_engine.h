#pragma once

#include "english_voice.h"
#include "pcm.h"
#include "speech_pace.h"

class QString;

// Turns text into audio. Implementations never throw: a text they cannot render gives
// empty audio, so a failing engine only makes the drill silent. Calls on one engine come
// from one thread at a time, which need not be the window's.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Latin-script text is spoken by the given English voice; all of it at the given pace.
    virtual Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace) = 0;
};
