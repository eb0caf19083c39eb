#pragma once

#include "helper_process.h"
#include "speech_engine.h"
#include "speech_start.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// How the speech service finds and waits for its helper.
struct SpeechServiceOptions {
    // Empty: beside the running program, or where it is installed.
    QString helperPath;
    // Passed to the helper (e.g. --dictionary DIR, --flite-dir DIR, --espeak-data DIR).
    QStringList helperArguments;
    // OnStart: the helper starts with the first line rather than with the service. A helper
    // ends with the thread that started it: start it from one that lives as long as it is
    // needed.
    SpeechStart helperStart = SpeechStart::AtOnce;
    // How long the helper may take to set itself up, and to render a line: the base
    // plus a share for each character, since long lines take longer.
    std::chrono::milliseconds startTimeout { 10'000 };
    std::chrono::milliseconds lineTimeout { 5'000 };
    std::chrono::microseconds timeoutPerCharacter { 10'000 };
};

// Speech rendered by Kelvaro's speech helper (kelvaro-speech), a process of its own, so an
// engine that crashes or hangs on some text costs that line its sound and nothing more: the
// line renders as empty audio, one lcSpeech line says what happened, the helper starts
// again for the next line, and the line that killed it is not sent again.
// Works from any one thread at a time, without an event loop.
class SpeechService : public SpeechEngine {
public:
    using Options = SpeechServiceOptions;

    // Where the helper is looked for: beside the program, then in the libexec folder of the
    // prefix the program is installed in. Needs a QCoreApplication.
    static QString defaultHelperPath();

    // Starts the helper in the background (see Options::helperStart); the first line waits
    // for it to be ready.
    explicit SpeechService(Options options = {});
    ~SpeechService() override;

    Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace) override;
    // The same, handing each piece of audio on as soon as it arrives, all at the utterance's
    // sample rate, so playing can start before the whole line is rendered.
    Pcm synthesize(const QString& text, EnglishVoice voice, SpeechPace pace,
        const std::function<void(const Pcm&)>& onPiece);

    // The helper's process id, or -1 when none runs.
    qint64 helperProcessId() const { return m_helper.processId(); }

private:
    enum class Outcome { Spoken, HelperLost, NotSent };

    bool ensureStarted();
    Outcome request(const QString& text, EnglishVoice voice, SpeechPace pace,
        const std::function<void(const Pcm&)>& onPiece, Pcm& pcm);
    void reportOnce(const QString& message);

    Options m_options;
    HelperProcess m_helper;
    bool m_ready = false;
    int m_failedStarts = 0;
    bool m_setupReported = false;
    QSet<QString> m_poisoned; // voice and text of lines that crashed or hung the helper
    QSet<QString> m_reported;
};
