#include "flite_voices.h"

#include "speech_log.h"

#include <QDir>
#include <QFile>

#include <dlfcn.h>

#include <flite/cst_wave.h>

namespace {

// Flite's entry points, looked up in the voice library (which pulls in Flite itself).
using RegisterVoice = void* (*)(const char*);
using Initialize = int (*)();
using TextToWave = cst_wave* (*)(const char*, void*);
using DeleteWave = void (*)(cst_wave*);

struct Entry {
    TextToWave textToWave = nullptr;
    DeleteWave deleteWave = nullptr;
};

Entry g_flite;

const char* const VoiceNames[2] = { "cmu_us_rms", "cmu_us_slt" };

} // namespace

FliteVoices::FliteVoices(const QString& libraryDir)
{
    for (int index = 0; index < 2; ++index) {
        const QString file = QStringLiteral("libflite_") + QLatin1StringView(VoiceNames[index])
            + QStringLiteral(".so.1");
        const QString path = libraryDir.isEmpty() ? file : QDir(libraryDir).filePath(file);
        void* library = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        auto registerVoice = library
            ? reinterpret_cast<RegisterVoice>(
                dlsym(library, QByteArray(QByteArray("register_") + VoiceNames[index]).constData()))
            : nullptr;
        auto initialize
            = library ? reinterpret_cast<Initialize>(dlsym(library, "flite_init")) : nullptr;
        Entry entry;
        if (library) {
            entry.textToWave = reinterpret_cast<TextToWave>(dlsym(library, "flite_text_to_wave"));
            entry.deleteWave = reinterpret_cast<DeleteWave>(dlsym(library, "delete_wave"));
        }
        if (!registerVoice || !initialize || !entry.textToWave || !entry.deleteWave) {
            m_failures.append(QStringLiteral("the Flite voice ")
                + QLatin1StringView(VoiceNames[index]) + QStringLiteral(" could not be loaded (")
                + QString::fromLocal8Bit(dlerror()) + QStringLiteral("); install libflite1"));
            continue;
        }
        initialize();
        m_voices[index] = registerVoice(nullptr);
        g_flite = entry;
        if (!m_voices[index])
            m_failures.append(QStringLiteral("the Flite voice ")
                + QLatin1StringView(VoiceNames[index]) + QStringLiteral(" did not start"));
    }
}

bool FliteVoices::has(Speaker speaker) const
{
    return m_voices[int(speaker)] != nullptr;
}

Pcm FliteVoices::render(const QByteArray& ascii, Speaker speaker) const
{
    Pcm pcm;
    pcm.sampleRate = SampleRate;
    void* voice = m_voices[int(speaker)];
    if (!voice || ascii.trimmed().isEmpty())
        return pcm;
    cst_wave* wave = g_flite.textToWave(ascii.constData(), voice);
    if (!wave) {
        qCWarning(lcSpeech, "Flite rendered nothing for a piece of %lld characters",
            qlonglong(ascii.size()));
        return pcm;
    }
    if (wave->num_channels == 1 && wave->num_samples > 0 && wave->samples) {
        pcm.samples = QList<qint16>(wave->samples, wave->samples + wave->num_samples);
        pcm.sampleRate = wave->sample_rate;
    }
    g_flite.deleteWave(wave);
    return pcm;
}
