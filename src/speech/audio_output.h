#pragma once

#include "pcm.h"

// Where rendered speech is played. Implementations never throw.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Queues the audio after whatever is already playing and returns at once.
    virtual void play(const Pcm& pcm) = 0;
    // Silences the output at once and drops everything queued.
    virtual void stop() = 0;
    // Linear gain from 0.0 (silent) to 1.0; applies to what is playing too.
    virtual void setVolume(double gain) = 0;
    // Blocks, without handling user input, until everything queued has been heard; never
    // longer than the queued audio's length plus a safety margin, so a stalled device
    // cannot hang the program.
    virtual void waitUntilPlayed() = 0;
};
