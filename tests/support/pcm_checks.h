#pragma once

#include "pcm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <vector>

// Rendered speech: heard at all, and how long.
inline bool audible(const Pcm& pcm)
{
    return std::ranges::any_of(pcm.samples, [](qint16 s) { return std::abs(s) > 1000; });
}

inline double seconds(const Pcm& pcm)
{
    return pcm.sampleRate > 0 ? double(pcm.samples.size()) / pcm.sampleRate : 0.0;
}

// The voice's typical pitch in Hz: the median, over loud and clearly periodic stretches, of
// the period with the strongest autocorrelation between 70 and 400 Hz. 0 when none is found.
inline double medianPitch(const Pcm& pcm)
{
    const qsizetype frame = pcm.sampleRate / 20;
    const qsizetype shortest = pcm.sampleRate / 400;
    const qsizetype longest = pcm.sampleRate / 70;
    std::vector<double> pitches;
    for (qsizetype start = 0; start + frame + longest < pcm.samples.size(); start += frame / 2) {
        const qint16* s = pcm.samples.constData() + start;
        const double energy = std::inner_product(s, s + frame, s, 0.0);
        if (energy / double(frame) < 1500.0 * 1500.0)
            continue;
        double best = 0;
        qsizetype bestLag = 0;
        for (qsizetype lag = shortest; lag <= longest; ++lag) {
            const double product = std::inner_product(s, s + frame, s + lag, 0.0);
            const double shifted = std::inner_product(s + lag, s + lag + frame, s + lag, 0.0);
            const double correlation = product / std::sqrt(energy * shifted + 1);
            if (correlation > best) {
                best = correlation;
                bestLag = lag;
            }
        }
        if (best > 0.6)
            pitches.push_back(double(pcm.sampleRate) / double(bestLag));
    }
    if (pitches.empty())
        return 0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}
