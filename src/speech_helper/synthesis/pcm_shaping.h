#pragma once

#include "pcm.h"

#include <chrono>

// Samples quieter than this (about -40 dBFS) count as silence.
inline constexpr qint16 SilenceLevel = 330;

// Drops the silence before the first sound of audio that arrives in chunks, keeping at most
// the given number of samples of it (a few milliseconds keep the onset from clicking).
class LeadingSilenceTrimmer {
public:
    explicit LeadingSilenceTrimmer(qsizetype keepSamples)
        : m_keep(keepSamples)
    {
    }
    // The part of this chunk to pass on; nothing until the first sound.
    QList<qint16> feed(const qint16* samples, qsizetype count);

private:
    qsizetype m_keep = 0;
    bool m_sounding = false;
    QList<qint16> m_silence; // the last samples of silence so far, at most m_keep
};

// The same for audio in one piece. Audio that is silent throughout becomes empty.
void trimLeadingSilence(Pcm& pcm, std::chrono::milliseconds keep);

// The same audio at another sample rate (libsoxr); unchanged when the rate already matches.
Pcm resampled(const Pcm& pcm, int sampleRate);
