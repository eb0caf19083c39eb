#pragma once

#include "pcm.h"

class QString;

// Turns text into audio. Implementations never throw: a text they cannot render gives
// empty audio, so a failing engine only makes the drill silent.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    virtual Pcm synthesize(const QString& text) = 0;
};
