#include "flite_voices.h"

#include "speech_log.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

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
            && find(setFeature, "flite_feat_set");
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

} // namespace

FliteVoices::FliteVoices(const QString& libraryDir)
{
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
            m_failures.append(QStringLiteral("the Flite voice ")
                + QLatin1StringView(VoiceNames[index]) + QStringLiteral(" could not be loaded (")
                + QString::fromLocal8Bit(dlerror()) + QStringLiteral("); install libflite1"));
            continue;
        }
        flite.init();
        g_flite = flite;
        cst_voice* voice = registerVoice(nullptr);
        if (!voice) {
            m_failures.append(QStringLiteral("the Flite voice ")
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
        m_voices[index] = voice;
        m_streaming[index] = streaming;
    }
}

bool FliteVoices::has(Speaker speaker) const
{
    return m_voices[int(speaker)] != nullptr;
}

void FliteVoices::render(const QByteArray& ascii, Speaker speaker, const ChunkSink& sink) const
{
    auto* voice = static_cast<cst_voice*>(m_voices[int(speaker)]);
    if (!voice || ascii.trimmed().isEmpty())
        return;
    // Set for this render only; the feature itself stays with the voice.
    auto* streaming = static_cast<cst_audio_streaming_info*>(m_streaming[int(speaker)]);
    streaming->userdata = const_cast<ChunkSink*>(&sink);
    cst_wave* wave = g_flite.textToWave(ascii.constData(), voice);
    streaming->userdata = nullptr;
    if (!wave)
        qCWarning(lcSpeech, "Flite rendered nothing for a piece of %lld characters",
            qlonglong(ascii.size()));
    else
        g_flite.deleteWave(wave);
}
