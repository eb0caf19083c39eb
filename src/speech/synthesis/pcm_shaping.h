#pragma once

#include "pcm.h"

#include <chrono>

// Samples quieter than this (about -40 dBFS) count as silence.
inline constexpr qint16 SilenceLevel = 330;

// Cuts the silence before the first sound down to at most `keep` (a few milliseconds keep
// the onset from clicking). Audio that is silent throughout becomes empty.
void trimLeadingSilence(Pcm& pcm, std::chrono::milliseconds keep);

// The same audio at another sample rate (libsoxr); unchanged when the rate already matches.
Pcm resampled(const Pcm& pcm, int sampleRate);
