#pragma once

#include "pcm.h"

#include <QString>

// Flite's two US English voices, cmu_us_rms (male) and cmu_us_slt (female). The libraries
// are opened at run time, so a missing voice leaves the other voices working instead of
// keeping the helper from starting.
class FliteVoices {
public:
    enum class Speaker { Male, Female };

    // An empty folder means the system's library path.
    explicit FliteVoices(const QString& libraryDir = {});

    bool has(Speaker speaker) const;
    // One line per voice that could not be loaded; empty when both are there.
    QStringList failures() const { return m_failures; }

    // Renders ASCII text; empty audio when the voice is missing or fails.
    Pcm render(const QByteArray& ascii, Speaker speaker) const;

    // The rate both voices render at.
    static constexpr int SampleRate = 16000;

private:
    void* m_voices[2] = { nullptr, nullptr };
    QStringList m_failures;
};
