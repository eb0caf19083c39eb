#pragma once

#include "pcm.h"

// Where rendered speech is played. Every call may come from any thread and never throws.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Queues the audio after whatever is already playing and returns at once.
    virtual void play(const Pcm& pcm) = 0;
    // Silences the output at once and drops everything queued; returns at once.
    virtual void stop() = 0;
    // Linear gain from 0.0 (silent) to 1.0; applies to what is playing too.
    virtual void setVolume(double gain) = 0;
    // Waits until everything queued has been heard, handling the calling thread's events
    // meanwhile; never longer than the queued audio's length plus a safety margin, so a
    // stalled or hung sound server cannot hang the caller.
    virtual void waitUntilPlayed() = 0;
};
