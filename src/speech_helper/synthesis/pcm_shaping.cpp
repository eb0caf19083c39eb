#include "pcm_shaping.h"

#include "speech_log.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

int peakOf(const QList<qint16>& samples)
{
    int peak = 0;
    for (const qint16 sample : samples)
        peak = std::max(peak, std::abs(int(sample)));
    return peak;
}

int onsetLevel(int peak)
{
    return int(peak * std::pow(10.0, OnsetDecibels / 20.0));
}

void trimOnset(Pcm& pcm, std::chrono::milliseconds preRoll, std::chrono::milliseconds fade)
{
    const int peak = peakOf(pcm.samples);
    if (peak <= SilentPeak) {
        pcm.samples.clear();
        return;
    }
    // Found: the peak itself is above the level.
    const int level = onsetLevel(peak);
    const auto sound = std::find_if(pcm.samples.cbegin(), pcm.samples.cend(),
        [level](qint16 sample) { return std::abs(int(sample)) > level; });
    const qsizetype first = sound - pcm.samples.cbegin();
    const qsizetype kept = qsizetype(preRoll.count()) * pcm.sampleRate / 1000;
    const qsizetype cut = std::max<qsizetype>(0, first - kept);
    if (cut == 0)
        return;
    pcm.samples.remove(0, cut);
    // A raised cosine over the start of the pre-roll, which is below the level throughout.
    const qsizetype ramp = std::min(first - cut, qsizetype(fade.count()) * pcm.sampleRate / 1000);
    for (qsizetype i = 0; i < ramp; ++i) {
        const double gain = 0.5 - 0.5 * std::cos(M_PI * double(i) / double(ramp));
        pcm.samples[i] = qint16(std::lround(pcm.samples[i] * gain));
    }
}

QList<qint16> LeadingSilenceTrimmer::feed(const qint16* samples, qsizetype count)
{
    if (m_sounding)
        return QList<qint16>(samples, samples + count);
    const qint16* end = samples + count;
    const qint16* firstSound = std::find_if(
        samples, end, [this](qint16 sample) { return std::abs(int(sample)) > m_level; });
    m_silence.append(QList<qint16>(samples, firstSound));
    if (m_silence.size() > m_keep)
        m_silence.remove(0, m_silence.size() - m_keep);
    if (firstSound == end)
        return {};
    m_sounding = true;
    QList<qint16> passed = std::move(m_silence);
    passed.append(QList<qint16>(firstSound, end));
    return passed;
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
