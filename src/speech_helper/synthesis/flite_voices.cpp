#include "flite_voices.h"

#include "speech_log.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

#include <utility>

#include <flite/cst_audio.h>
#include <flite/cst_voice.h>
#include <flite/cst_wave.h>

namespace {

// Flite's entry points, looked up in the voice library (which pulls in Flite itself).
struct Flite {
    int (*init)() = nullptr;
    cst_wave* (*textToWave)(const char*, cst_voice*) = nullptr;
    void (*deleteWave)(cst_wave*) = nullptr;
    cst_audio_streaming_info* (*newStreamingInfo)() = nullptr;
    cst_val* (*streamingInfoValue)(const cst_audio_streaming_info*) = nullptr;
    void (*setFeature)(cst_features*, const char*, const cst_val*) = nullptr;
    void (*setFloat)(cst_features*, const char*, float) = nullptr;
    float (*getFloat)(const cst_features*, const char*, float) = nullptr;

    bool lookUp(void* library)
    {
        const auto find = [library](auto& entry, const char* name) {
            entry
                = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(library, name));
            return entry != nullptr;
        };
        return find(init, "flite_init") && find(textToWave, "flite_text_to_wave")
            && find(deleteWave, "delete_wave") && find(newStreamingInfo, "new_audio_streaming_info")
            && find(streamingInfoValue, "audio_streaming_info_val")
            && find(setFeature, "flite_feat_set") && find(setFloat, "flite_feat_set_float")
            && find(getFloat, "flite_get_param_float");
    }
};

Flite g_flite;

const char* const VoiceNames[2] = { "cmu_us_rms", "cmu_us_slt" };

// Flite calls this as it renders; the sink of the render in progress is in userdata.
int streamChunk(const cst_wave* wave, int start, int size, int, cst_audio_streaming_info* info)
{
    const auto* sink = static_cast<const FliteVoices::ChunkSink*>(info->userdata);
    if (!sink || size <= 0)
        return CST_AUDIO_STREAM_CONT;
    return (*sink)(wave->samples + start, size) ? CST_AUDIO_STREAM_CONT : CST_AUDIO_STREAM_STOP;
}

// The voices as loaded once per process: Flite registers each voice once, and a second
// streaming set-up on it would take the first one's audio away.
struct Loaded {
    void* voices[2] = { nullptr, nullptr };
    void* streaming[2] = { nullptr, nullptr };
    float ownStretch[2] = { 1, 1 };
    QStringList failures;
};

Loaded load(const QString& libraryDir)
{
    Loaded loaded;
    for (int index = 0; index < 2; ++index) {
        const QString file = QStringLiteral("libflite_") + QLatin1StringView(VoiceNames[index])
            + QStringLiteral(".so.1");
        const QString path = libraryDir.isEmpty() ? file : QDir(libraryDir).filePath(file);
        void* library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        using RegisterVoice = cst_voice* (*)(const char*);
        auto registerVoice = library
            ? reinterpret_cast<RegisterVoice>(
                dlsym(library, QByteArray(QByteArray("register_") + VoiceNames[index]).constData()))
            : nullptr;
        Flite flite;
        if (!registerVoice || !flite.lookUp(library)) {
            loaded.failures.append(QStringLiteral("the Flite voice ")
                + QLatin1StringView(VoiceNames[index]) + QStringLiteral(" could not be loaded (")
                + QString::fromLocal8Bit(dlerror()) + QStringLiteral("); install libflite1"));
            continue;
        }
        flite.init();
        g_flite = flite;
        cst_voice* voice = registerVoice(nullptr);
        if (!voice) {
            loaded.failures.append(QStringLiteral("the Flite voice ")
                + QLatin1StringView(VoiceNames[index]) + QStringLiteral(" did not start"));
            continue;
        }
        // The voice hands its audio over while it renders, so the first words can be sent
        // on before the line is finished.
        cst_audio_streaming_info* streaming = g_flite.newStreamingInfo();
        streaming->asc = streamChunk;
        streaming->userdata = nullptr;
        g_flite.setFeature(
            voice->features, "streaming_info", g_flite.streamingInfoValue(streaming));
        loaded.voices[index] = voice;
        loaded.streaming[index] = streaming;
        loaded.ownStretch[index] = g_flite.getFloat(voice->features, "duration_stretch", 1.0f);
    }
    return loaded;
}

} // namespace

FliteVoices::FliteVoices(const QString& libraryDir)
{
    static const Loaded loaded = load(libraryDir);
    for (int index = 0; index < 2; ++index) {
        m_voices[index] = loaded.voices[index];
        m_streaming[index] = loaded.streaming[index];
        m_ownStretch[index] = loaded.ownStretch[index];
    }
    m_failures = loaded.failures;
}

bool FliteVoices::has(Speaker speaker) const
{
    return m_voices[int(speaker)] != nullptr;
}

void FliteVoices::render(
    const QByteArray& ascii, Speaker speaker, double rate, const ChunkSink& sink) const
{
    auto* voice = static_cast<cst_voice*>(m_voices[int(speaker)]);
    if (!voice || ascii.trimmed().isEmpty() || rate <= 0)
        return;
    // Flite stretches durations: a slower pace is a longer stretch.
    g_flite.setFloat(voice->features, "duration_stretch", float(m_ownStretch[int(speaker)] / rate));
    // A sink that stops Flite early has what it wanted: no wave then is no failure.
    bool stopped = false;
    const ChunkSink watched = [&](const qint16* samples, qsizetype count) {
        stopped = !sink(samples, count);
        return !stopped;
    };
    // Set for this render only; the feature itself stays with the voice.
    auto* streaming = static_cast<cst_audio_streaming_info*>(m_streaming[int(speaker)]);
    streaming->userdata = const_cast<ChunkSink*>(&watched);
    cst_wave* wave = g_flite.textToWave(ascii.constData(), voice);
    streaming->userdata = nullptr;
    if (wave) {
        g_flite.deleteWave(wave);
    } else if (!stopped) {
        static bool reported = false;
        if (!std::exchange(reported, true))
            qCWarning(lcSpeech, "Flite rendered nothing for a piece of %lld characters",
                qlonglong(ascii.size()));
    }
}
