#pragma once

#include "pcm.h"

#include <algorithm>
#include <cstdlib>

// Rendered speech: heard at all, and how long.
inline bool audible(const Pcm& pcm)
{
    return std::ranges::any_of(pcm.samples, [](qint16 s) { return std::abs(s) > 1000; });
}

inline double seconds(const Pcm& pcm)
{
    return pcm.sampleRate > 0 ? double(pcm.samples.size()) / pcm.sampleRate : 0.0;
}
