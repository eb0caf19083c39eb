#pragma once

#include "english_voice.h"
#include "espeak_voices.h"
#include "flite_voices.h"
#include "helper_protocol.h"
#include "japanese_reader.h"
#include "pcm.h"
#include "speech_pace.h"

#include <QStringList>

#include <chrono>
#include <functional>

// Where the synthesizer finds its voices and dictionary; empty folders mean the system's.
struct SynthesisSetup {
    QString dictionaryDir = JapaneseReader::defaultDictionaryDir();
    QString fliteLibraryDir;
    QString espeakDataDir;
};

// Renders one drill line as one utterance: the text made speech-friendly, split by script,
// Latin runs spoken by the chosen English voice (Flite, or espeak-ng for what Flite cannot
// say), Japanese runs read by MeCab and spoken by espeak-ng's "ja" voice, each engine fed
// bounded pieces, all at one sample rate and pace, and without the silence the engines put
// first.
// Runs in the speech helper: the engines are not safe with arbitrary text. Make one per
// process (espeak-ng starts once).
class UtteranceSynthesizer {
public:
    // A longer line is spoken up to here, cut at a space.
    static constexpr qsizetype MaxTextCharacters = HelperProtocol::MaxTextCharacters;
    static constexpr std::chrono::seconds MaxSpeechLength { 120 };

    explicit UtteranceSynthesizer(const SynthesisSetup& setup = {});

    // One line for each voice or dictionary that is missing, saying what to install.
    QStringList setupWarnings() const;

    // Calls begin once with the utterance's sample rate, then samples for each rendered
    // piece in order. The first piece that sounds goes out whole, its start trimmed against
    // its peak; later pieces go out as they are rendered, after a short pause.
    void render(const QString& text, EnglishVoice voice, SpeechPace pace,
        const std::function<void(int)>& begin,
        const std::function<void(const QList<qint16>&)>& samples);
    // The whole utterance at once.
    Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace = DefaultSpeechPace);

private:
    struct Piece;
    QList<Piece> plan(const QString& text, EnglishVoice voice) const;
    Pcm renderPiece(const Piece& piece, double rate, qsizetype maxSamples);

    JapaneseReader m_reader;
    FliteVoices m_flite;
    EspeakVoices m_espeak;
};
