#include "espeak_engine.h"

#include <QFile>
#include <QtGlobal>

#include <espeak-ng/espeak_ng.h>

namespace {

struct Collector {
    QList<qint16>* samples;
    qsizetype maxSamples;
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
    return 1;
}

QString statusMessage(espeak_ng_STATUS status)
{
    char buffer[512] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QString::fromLocal8Bit(buffer);
}

struct Library {
    int sampleRate = 0;
    QString failure;
};

Library start(const QString& dataPath)
{
    const QByteArray path = QFile::encodeName(dataPath);
    espeak_ng_InitializePath(path.isEmpty() ? nullptr : path.constData());

    espeak_ng_ERROR_CONTEXT context = nullptr;
    espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK)
        return { 0,
            QStringLiteral("the espeak-ng voice data could not be loaded (") + statusMessage(status)
                + u')' };
    // The buffer length only sets how often the callback sees audio: the whole text is
    // rendered before a synthesis call returns.
    status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 100, nullptr);
    if (status == ENS_OK)
        status = espeak_ng_SetVoiceByName("en");
    if (status != ENS_OK)
        return { 0,
            QStringLiteral("the espeak-ng English voice could not be set up (")
                + statusMessage(status) + u')' };
    espeak_SetSynthCallback(collectSamples);
    return { espeak_ng_GetSampleRate(), QString() };
}

const Library& library(const QString& dataPath)
{
    static const Library started = start(dataPath);
    return started;
}

} // namespace

EspeakEngine::EspeakEngine(const QString& dataPath, std::chrono::milliseconds maxSpeechLength)
{
    const Library& speech = library(dataPath);
    if (speech.sampleRate <= 0) {
        qWarning("Speech is off: %s. The drill goes on silently.", qUtf8Printable(speech.failure));
        return;
    }
    m_sampleRate = speech.sampleRate;
    m_maxSamples = qsizetype(maxSpeechLength.count()) * m_sampleRate / 1000;
}

Pcm EspeakEngine::synthesize(const QString& text, EnglishVoice)
{
    Pcm pcm;
    if (!isAvailable() || text.isEmpty())
        return pcm;
    pcm.sampleRate = m_sampleRate;
    Collector collector { &pcm.samples, m_maxSamples };
    const QByteArray utf8 = text.toUtf8();
    espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
        espeakCHARS_UTF8, nullptr, &collector);
    return pcm;
}
