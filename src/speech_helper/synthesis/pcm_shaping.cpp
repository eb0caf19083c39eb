#include "pcm_shaping.h"

#include "speech_log.h"

#include <soxr.h>

#include <algorithm>
#include <cstdlib>

QList<qint16> LeadingSilenceTrimmer::feed(const qint16* samples, qsizetype count)
{
    if (m_sounding)
        return QList<qint16>(samples, samples + count);
    const qint16* end = samples + count;
    const qint16* firstSound
        = std::find_if(samples, end, [](qint16 sample) { return std::abs(sample) > SilenceLevel; });
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

void trimLeadingSilence(Pcm& pcm, std::chrono::milliseconds keep)
{
    LeadingSilenceTrimmer trimmer(qsizetype(keep.count()) * pcm.sampleRate / 1000);
    pcm.samples = trimmer.feed(pcm.samples.constData(), pcm.samples.size());
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
