#pragma once

#include "pcm.h"

#include <QString>
#include <QStringList>

#include <functional>

// Flite's two US English voices, cmu_us_rms (male) and cmu_us_slt (female). The libraries
// are opened at run time, so a missing voice leaves the other voices working instead of
// keeping the helper from starting. They are loaded once per process: every object shares
// them, from the folder the first one named, and only one thread at a time may use any.
class FliteVoices {
public:
    enum class Speaker { Male, Female };
    // Receives audio while Flite is still rendering; returns false to stop it.
    using ChunkSink = std::function<bool(const qint16* samples, qsizetype count)>;

    // An empty folder means the system's library path.
    explicit FliteVoices(const QString& libraryDir = {});

    bool has(Speaker speaker) const;
    // One line per voice that could not be loaded; empty when both are there.
    QStringList failures() const { return m_failures; }

    // Renders ASCII text at rate times the voice's own pace, handing the audio to sink piece
    // by piece as it is made; nothing when the voice is missing or fails.
    void render(const QByteArray& ascii, Speaker speaker, double rate, const ChunkSink& sink) const;

    // The rate both voices render at.
    static constexpr int SampleRate = 16000;

private:
    void* m_voices[2] = { nullptr, nullptr }; // Flite's cst_voice, per speaker
    void* m_streaming[2] = { nullptr, nullptr }; // the voice's cst_audio_streaming_info
    float m_ownStretch[2] = { 1, 1 }; // the voice's duration_stretch as it was loaded
    QStringList m_failures;
};
