#include "utterance_synthesizer.h"

#include "pcm_shaping.h"
#include "script_runs.h"
#include "spoken_text.h"
#include "text_pieces.h"

#include <algorithm>
#include <optional>

namespace {

enum class Engine { FliteMale, FliteFemale, EspeakEnglish, EspeakJapanese };

bool isFlite(Engine engine)
{
    return engine == Engine::FliteMale || engine == Engine::FliteFemale;
}

FliteVoices::Speaker speakerOf(Engine engine)
{
    return engine == Engine::FliteFemale ? FliteVoices::Speaker::Female
                                         : FliteVoices::Speaker::Male;
}

// Flite knows English spelled in ASCII. Accents are dropped ("naïve" reads "naive") and
// typographic punctuation made plain; anything else left over goes to espeak-ng.
std::optional<QByteArray> fliteText(const QString& text)
{
    QByteArray ascii;
    ascii.reserve(text.size());
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        switch (c.unicode()) {
        case 0x2018:
        case 0x2019:
            ascii += '\'';
            continue;
        case 0x201C:
        case 0x201D:
            ascii += '"';
            continue;
        case 0x2013:
        case 0x2014:
            ascii += '-';
            continue;
        default:
            break;
        }
        if (c.unicode() >= 0x80)
            return std::nullopt;
        ascii += char(c.unicode());
    }
    return ascii;
}

QString cutToLength(const QString& text, qsizetype maxCharacters)
{
    if (text.size() <= maxCharacters)
        return text;
    const qsizetype space = text.lastIndexOf(u' ', maxCharacters);
    return text.left(space > maxCharacters / 2 ? space : maxCharacters);
}

} // namespace

struct UtteranceSynthesizer::Piece {
    Engine engine = Engine::EspeakEnglish;
    QString text;
    QByteArray ascii; // for Flite
};

UtteranceSynthesizer::UtteranceSynthesizer(const SynthesisSetup& setup)
    : m_reader(setup.dictionaryDir)
    , m_flite(setup.fliteLibraryDir)
    , m_espeak(setup.espeakDataDir)
{
}

QStringList UtteranceSynthesizer::setupWarnings() const
{
    QStringList warnings;
    if (!m_reader.isAvailable())
        warnings.append(m_reader.failure()
            + QStringLiteral(": kanji are not read as Japanese; install mecab-naist-jdic"));
    for (const QString& failure : m_flite.failures())
        warnings.append(failure + QStringLiteral(": English is spoken by espeak-ng instead"));
    if (!m_espeak.isAvailable())
        warnings.append(m_espeak.failure()
            + QStringLiteral(": Japanese and what Flite cannot say stay silent"));
    return warnings;
}

QList<UtteranceSynthesizer::Piece> UtteranceSynthesizer::plan(
    const QString& text, EnglishVoice voice) const
{
    QList<Piece> pieces;
    const QString spoken = spokenText(cutToLength(text, MaxTextCharacters));
    for (const ScriptRun& run : scriptRuns(spoken)) {
        if (run.script == ScriptRun::Script::Japanese) {
            for (const QString& piece : boundedPieces(m_reader.reading(run.text)))
                pieces.append({ Engine::EspeakJapanese, piece, {} });
            continue;
        }
        const FliteVoices::Speaker speaker = voice == EnglishVoice::Female
            ? FliteVoices::Speaker::Female
            : FliteVoices::Speaker::Male;
        const bool flite = voice != EnglishVoice::Espeak && m_flite.has(speaker);
        for (const QString& piece : boundedPieces(run.text)) {
            const std::optional<QByteArray> ascii = flite ? fliteText(piece) : std::nullopt;
            if (ascii)
                pieces.append({ speaker == FliteVoices::Speaker::Female ? Engine::FliteFemale
                                                                        : Engine::FliteMale,
                    piece, *ascii });
            else
                pieces.append({ Engine::EspeakEnglish, piece, {} });
        }
    }
    return pieces;
}

Pcm UtteranceSynthesizer::renderPiece(const Piece& piece, double rate, qsizetype maxSamples)
{
    switch (piece.engine) {
    case Engine::FliteMale:
    case Engine::FliteFemale: {
        Pcm pcm;
        pcm.sampleRate = FliteVoices::SampleRate;
        m_flite.render(piece.ascii, speakerOf(piece.engine), rate,
            [&](const qint16* samples, qsizetype count) {
                pcm.samples.append(QList<qint16>(samples, samples + count));
                return pcm.samples.size() < maxSamples;
            });
        return pcm;
    }
    case Engine::EspeakEnglish:
        return m_espeak.render(piece.text, EspeakVoices::Language::English, maxSamples, rate);
    case Engine::EspeakJapanese:
        return m_espeak.render(piece.text, EspeakVoices::Language::Japanese, maxSamples, rate);
    }
    return {};
}

void UtteranceSynthesizer::render(const QString& text, EnglishVoice voice, SpeechPace pace,
    const std::function<void(int)>& begin, const std::function<void(const QList<qint16>&)>& samples)
{
    const QList<Piece> pieces = plan(text, voice);
    const bool onlyFlite
        = std::ranges::all_of(pieces, [](const Piece& piece) { return isFlite(piece.engine); });
    const int sampleRate
        = onlyFlite || !m_espeak.isAvailable() ? FliteVoices::SampleRate : m_espeak.sampleRate();
    begin(sampleRate);

    const qsizetype maxSamples = qsizetype(MaxSpeechLength.count()) * sampleRate;
    qsizetype rendered = 0;
    // Passes audio on up to the length limit; false once it is reached.
    const auto pass = [&](QList<qint16> audio) {
        if (audio.size() > maxSamples - rendered)
            audio.resize(maxSamples - rendered);
        if (!audio.isEmpty()) {
            rendered += audio.size();
            samples(audio);
        }
        return rendered < maxSamples;
    };
    const double rate = speechPaceRate(pace);
    int peak = 0; // of what has been passed on
    for (const Piece& piece : pieces) {
        if (rendered >= maxSamples)
            break;
        // The engines start every piece with silence. The utterance starts at its first
        // sound, judged against the peak of the piece that holds it, which is never louder
        // than the utterance's: its soft onset (an /h/, an /f/) is kept.
        if (rendered == 0) {
            Pcm audio = resampled(renderPiece(piece, rate, maxSamples), sampleRate);
            trimOnset(audio);
            peak = peakOf(audio.samples);
            pass(std::move(audio.samples));
            continue;
        }
        // The later pieces keep a short pause before them.
        constexpr std::chrono::milliseconds pause(120);
        LeadingSilenceTrimmer trimmer(
            qsizetype(pause.count()) * sampleRate / 1000, onsetLevel(peak));
        if (isFlite(piece.engine) && sampleRate == FliteVoices::SampleRate) {
            // Passed on while Flite renders, so long lines go out early.
            m_flite.render(piece.ascii, speakerOf(piece.engine), rate,
                [&](const qint16* audio, qsizetype count) {
                    return pass(trimmer.feed(audio, count));
                });
            continue;
        }
        const Pcm audio = resampled(renderPiece(piece, rate, maxSamples - rendered), sampleRate);
        pass(trimmer.feed(audio.samples.constData(), audio.samples.size()));
    }
}

Pcm UtteranceSynthesizer::synthesize(const QString& text, EnglishVoice voice, SpeechPace pace)
{
    Pcm pcm;
    render(
        text, voice, pace, [&](int sampleRate) { pcm.sampleRate = sampleRate; },
        [&](const QList<qint16>& samples) { pcm.samples.append(samples); });
    return pcm;
}
