#include "espeak_voices.h"

#include "speech_log.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <cmath>

#include <espeak-ng/espeak_ng.h>

namespace {

struct Collector {
    QList<qint16>* samples;
    qsizetype maxSamples;
    bool full = false;
};

// Called by espeak-ng while it renders; returning 1 tells it to stop.
int collectSamples(short* wav, int count, espeak_EVENT* events)
{
    auto* collector = static_cast<Collector*>(events->user_data);
    if (wav && count > 0)
        collector->samples->append(QList<qint16>(wav, wav + count));
    if (collector->samples->size() < collector->maxSamples)
        return 0;
    collector->samples->resize(collector->maxSamples);
    collector->full = true;
    return 1;
}

QString statusMessage(espeak_ng_STATUS status)
{
    char buffer[512] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QString::fromLocal8Bit(buffer);
}

const char* voiceName(EspeakVoices::Language language)
{
    return language == EspeakVoices::Language::Japanese ? "ja" : "en";
}

// espeak-ng starts once per process; later objects share it, with the first one's data.
struct Started {
    int sampleRate = 0;
    QString failure;
    int rate = espeakRATE_NORMAL;
};

Started start(const QString& dataDir)
{
    const QByteArray path = QFile::encodeName(dataDir);
    espeak_ng_InitializePath(path.isEmpty() ? nullptr : path.constData());
    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status == ENS_OK)
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 100, nullptr);
    if (status == ENS_OK)
        status = espeak_ng_SetVoiceByName("en");
    if (status != ENS_OK)
        return { 0,
            QStringLiteral("the espeak-ng voice data could not be loaded (") + statusMessage(status)
                + QStringLiteral("); install espeak-ng-data") };
    espeak_SetSynthCallback(collectSamples);
    return { espeak_ng_GetSampleRate(), {}, espeak_GetParameter(espeakRATE, 1) };
}

} // namespace

EspeakVoices::EspeakVoices(const QString& dataDir)
{
    static const Started started = start(dataDir);
    m_sampleRate = started.sampleRate;
    m_failure = started.failure;
    m_ownRate = started.rate;
}

bool EspeakVoices::select(Language language)
{
    if (language == s_selected)
        return true;
    const espeak_ng_STATUS status = espeak_ng_SetVoiceByName(voiceName(language));
    if (status != ENS_OK) {
        qCWarning(lcSpeech, "espeak-ng could not switch to its \"%s\" voice: %s",
            voiceName(language), qUtf8Printable(statusMessage(status)));
        return false;
    }
    s_selected = language;
    return true;
}

Pcm EspeakVoices::render(const QString& text, Language language, qsizetype maxSamples, double rate)
{
    Pcm pcm;
    pcm.sampleRate = m_sampleRate;
    if (!isAvailable() || text.trimmed().isEmpty() || maxSamples <= 0 || !select(language))
        return pcm;
    // Set for every call: a voice switch may set the rate of its own.
    espeak_SetParameter(espeakRATE,
        std::clamp(int(std::lround(m_ownRate * rate)), espeakRATE_MINIMUM, espeakRATE_MAXIMUM), 0);
    Collector collector { &pcm.samples, maxSamples };
    const QByteArray utf8 = text.toUtf8();
    const espeak_ng_STATUS status = espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1,
        0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, &collector);
    // Stopped by the collector at maxSamples: the piece is as long as it may be.
    if (status == ENS_OK || (status == ENS_SPEECH_STOPPED && collector.full))
        return pcm;
    static QSet<espeak_ng_STATUS> reported;
    if (!reported.contains(status)) {
        reported.insert(status);
        qCWarning(lcSpeech, "espeak-ng failed on a piece of %lld characters: %s",
            qlonglong(text.size()), qUtf8Printable(statusMessage(status)));
    }
    return pcm;
}

QString EspeakVoices::phonemes(const QString& text, Language language)
{
    if (!isAvailable() || !select(language))
        return {};
    const QByteArray utf8 = text.toUtf8();
    const void* position = utf8.constData();
    QString result;
    // Each call reads one clause and moves the position on; it ends with a null position.
    while (position) {
        const char* clause = espeak_TextToPhonemes(&position, espeakCHARS_UTF8, espeakPHONEMES_IPA);
        if (!result.isEmpty())
            result += u' ';
        result += QString::fromUtf8(clause);
    }
    return result;
}
