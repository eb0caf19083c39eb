#pragma once

#include "pcm.h"

#include <chrono>

// Before the first sound, samples no louder than this share of the peak (-40 dB) count as
// silence.
inline constexpr int OnsetDecibels = -40;
// Audio whose peak is no louder than this (-40 dBFS) is silent throughout: an engine's
// murmur for a text with nothing to say.
inline constexpr int SilentPeak = 330;

// The loudest sample's magnitude.
int peakOf(const QList<qint16>& samples);
// The level above which a sample is sound, for audio of the given peak.
int onsetLevel(int peak);

// Drops the silence before the first sound of one utterance, judged against its own peak:
// everything from preRoll before the first sample louder than onsetLevel() is kept. Where
// silence was removed, the start fades in over at most `fade`, all of it inside the pre-roll,
// so the cut does not click and no sound above the level is touched. Audio that is silent
// throughout becomes empty.
void trimOnset(Pcm& pcm, std::chrono::milliseconds preRoll = std::chrono::milliseconds(10),
    std::chrono::milliseconds fade = std::chrono::milliseconds(2));

// Drops the silence before the first sound of audio that arrives in chunks, keeping at most
// the given number of samples of it: the pause between the pieces of one utterance.
class LeadingSilenceTrimmer {
public:
    // Samples no louder than level count as silence.
    LeadingSilenceTrimmer(qsizetype keepSamples, int level)
        : m_keep(keepSamples)
        , m_level(level)
    {
    }
    // The part of this chunk to pass on; nothing until the first sound.
    QList<qint16> feed(const qint16* samples, qsizetype count);

private:
    qsizetype m_keep = 0;
    int m_level = 0;
    bool m_sounding = false;
    QList<qint16> m_silence; // the last samples of silence so far, at most m_keep
};

// The same audio at another sample rate (libsoxr); unchanged when the rate already matches.
Pcm resampled(const Pcm& pcm, int sampleRate);
