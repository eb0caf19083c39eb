#include "pcm_shaping.h"

#include "speech_log.h"

#include <soxr.h>

#include <algorithm>
#include <cstdlib>

void trimLeadingSilence(Pcm& pcm, std::chrono::milliseconds keep)
{
    const auto firstSound = std::ranges::find_if(
        pcm.samples, [](qint16 sample) { return std::abs(sample) > SilenceLevel; });
    if (firstSound == pcm.samples.end()) {
        pcm.samples.clear();
        return;
    }
    const qsizetype silent = firstSound - pcm.samples.begin();
    const qsizetype kept = qsizetype(keep.count()) * pcm.sampleRate / 1000;
    if (silent > kept)
        pcm.samples.remove(0, silent - kept);
}

Pcm resampled(const Pcm& pcm, int sampleRate)
{
    if (pcm.sampleRate == sampleRate || pcm.isEmpty())
        return { pcm.samples, sampleRate };
    Pcm result;
    result.sampleRate = sampleRate;
    result.samples.resize(qsizetype(double(pcm.samples.size()) * sampleRate / pcm.sampleRate) + 16);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    size_t written = 0;
    const soxr_error_t error = soxr_oneshot(pcm.sampleRate, sampleRate, 1, pcm.samples.constData(),
        size_t(pcm.samples.size()), nullptr, result.samples.data(), size_t(result.samples.size()),
        &written, &io, &quality, nullptr);
    if (error) {
        qCWarning(lcSpeech, "Resampling speech from %d Hz to %d Hz failed: %s", pcm.sampleRate,
            sampleRate, error);
        result.samples.clear();
        return result;
    }
    result.samples.resize(qsizetype(written));
    return result;
}
