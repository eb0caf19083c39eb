#include "speech_service.h"

#include "helper_programs.h"
#include "helper_protocol.h"
#include "speech_log.h"

namespace {

using Result = HelperProcess::Result;
using Clock = std::chrono::steady_clock;

constexpr QStringView HelperName = u"kelvaro-speech";
// After this many helpers in a row fail to start, speech stays off.
constexpr int MaxFailedStarts = 3;

QString poisonKey(const QString& text, EnglishVoice voice)
{
    return englishVoiceName(voice) + u'\n' + text;
}

QString describe(Result result)
{
    switch (result) {
    case Result::Done:
        return QStringLiteral("answered");
    case Result::Closed:
        return QStringLiteral("closed its end");
    case Result::TimedOut:
        return QStringLiteral("did not answer in time");
    case Result::Failed:
        return QStringLiteral("could not be reached");
    }
    return {};
}

} // namespace

QString SpeechService::defaultHelperPath()
{
    return helperProgramPath(HelperName);
}

SpeechService::SpeechService(Options options)
    : m_options(std::move(options))
{
    if (m_options.helperPath.isEmpty())
        m_options.helperPath = defaultHelperPath();
    if (m_options.helperStart == SpeechStart::AtOnce)
        ensureStarted();
}

SpeechService::~SpeechService() = default;

void SpeechService::reportOnce(const QString& message)
{
    if (m_reported.contains(message))
        return;
    m_reported.insert(message);
    qCWarning(lcSpeech, "%s", qUtf8Printable(message));
}

bool SpeechService::ensureStarted()
{
    if (m_helper.isRunning() && m_ready && m_helper.hasHungUp())
        qCWarning(lcSpeech, "The speech helper %s between lines: it starts again",
            qUtf8Printable(m_helper.stop()));
    if (m_helper.isRunning())
        return true;
    if (m_failedStarts >= MaxFailedStarts)
        return false;
    QString error;
    m_ready = false;
    if (!m_helper.start(m_options.helperPath, m_options.helperArguments, &error)) {
        if (++m_failedStarts == MaxFailedStarts)
            reportOnce(error == u"is missing"
                    ? QStringLiteral("The speech helper is missing (looked for %1): the drill "
                                     "goes on silently")
                          .arg(placesLookedFor(m_options.helperPath))
                    : QStringLiteral("The speech helper %1 could not be started (%2): the drill "
                                     "goes on silently")
                          .arg(m_options.helperPath, error));
        return false;
    }
    return true;
}

Pcm SpeechService::synthesize(const QString& text, EnglishVoice voice, SpeechPace pace)
{
    return synthesize(text, voice, pace, {});
}

Pcm SpeechService::synthesize(const QString& text, EnglishVoice voice, SpeechPace pace,
    const std::function<void(const Pcm&)>& onPiece)
{
    const QString line = text.left(HelperProtocol::MaxTextCharacters);
    Pcm pcm;
    if (line.trimmed().isEmpty() || m_poisoned.contains(poisonKey(line, voice)))
        return pcm;
    // A helper lost before it took the line on may have died of something else: the line
    // is tried once more with a fresh helper before it counts as the cause.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureStarted())
            return pcm;
        switch (request(line, voice, pace, onPiece, pcm)) {
        case Outcome::Spoken:
            m_failedStarts = 0;
            return pcm;
        case Outcome::HelperLost:
            m_poisoned.insert(poisonKey(line, voice));
            // The next helper sets itself up while the learner moves on.
            ensureStarted();
            return {};
        case Outcome::NotSent:
            if (attempt == 1 && m_ready)
                m_poisoned.insert(poisonKey(line, voice));
            pcm = {};
            break;
        }
    }
    return {};
}

SpeechService::Outcome SpeechService::request(const QString& text, EnglishVoice voice,
    SpeechPace pace, const std::function<void(const Pcm&)>& onPiece, Pcm& pcm)
{
    using HelperProtocol::FrameHeader;
    using HelperProtocol::FrameKind;

    // Waiting for the helper to set itself up.
    if (!m_ready) {
        const Clock::time_point deadline = Clock::now() + m_options.startTimeout;
        FrameHeader ready;
        Result result = m_helper.receive(&ready, sizeof ready, deadline);
        QByteArray warnings;
        if (result == Result::Done
            && (ready.kind != FrameKind::Ready || ready.value > HelperProtocol::MaxTextBytes))
            result = Result::Failed;
        if (result == Result::Done) {
            warnings.resize(qsizetype(ready.value));
            result = m_helper.receive(warnings.data(), std::size_t(warnings.size()), deadline);
        }
        if (result != Result::Done) {
            const QString how = m_helper.stop();
            ++m_failedStarts;
            reportOnce(QStringLiteral("The speech helper %1 %2 while starting (it %3)%4")
                           .arg(m_options.helperPath, describe(result), how,
                               m_failedStarts >= MaxFailedStarts
                                   ? QStringLiteral(": the drill goes on silently")
                                   : QString()));
            return Outcome::NotSent;
        }
        m_ready = true;
        if (!m_setupReported) {
            m_setupReported = true;
            for (const QString& warning : QString::fromUtf8(warnings).split(u'\n'))
                if (!warning.isEmpty())
                    qCWarning(lcSpeech, "%s", qUtf8Printable(warning));
        }
    }

    const auto limit = m_options.lineTimeout
        + std::chrono::duration_cast<std::chrono::milliseconds>(
            m_options.timeoutPerCharacter * text.size());
    const Clock::time_point deadline = Clock::now() + limit;
    const QByteArray utf8 = text.toUtf8();
    const HelperProtocol::RequestHeader header { HelperProtocol::voiceCode(voice),
        std::uint32_t(utf8.size()), HelperProtocol::paceCode(pace) };
    Result result = m_helper.send(&header, sizeof header, deadline);
    if (result == Result::Done)
        result = m_helper.send(utf8.constData(), std::size_t(utf8.size()), deadline);
    if (result != Result::Done) {
        const QString error = m_helper.lastError();
        const QString how = m_helper.stop();
        qCWarning(lcSpeech,
            "Handing a line to the speech helper failed (%s; it %s): it starts "
            "again",
            qUtf8Printable(error.isEmpty() ? describe(result) : error), qUtf8Printable(how));
        return Outcome::NotSent;
    }

    bool begun = false;
    for (;;) {
        FrameHeader frame;
        result = m_helper.receive(&frame, sizeof frame, deadline);
        if (result != Result::Done)
            break;
        if (frame.kind == FrameKind::End)
            return Outcome::Spoken;
        if (frame.kind == FrameKind::Begin) {
            pcm.sampleRate = int(frame.value);
            begun = true;
            continue;
        }
        if (frame.kind != FrameKind::Samples || frame.value > HelperProtocol::MaxSamplesPerFrame) {
            result = Result::Failed;
            break;
        }
        Pcm piece;
        piece.sampleRate = pcm.sampleRate;
        piece.samples.resize(qsizetype(frame.value));
        result = m_helper.receive(
            piece.samples.data(), std::size_t(piece.samples.size()) * sizeof(qint16), deadline);
        if (result != Result::Done)
            break;
        pcm.samples.append(piece.samples);
        if (onPiece)
            onPiece(piece);
    }
    const QString how = m_helper.stop();
    const QString what = result == Result::TimedOut
        ? QStringLiteral("did not finish within %1 ms").arg(limit.count())
        : describe(result);
    // Lost before it began on the line: the line may not be the cause.
    if (!begun && result != Result::TimedOut) {
        qCWarning(lcSpeech,
            "The speech helper %s before it began on a line of %lld characters (it %s): it "
            "starts again",
            qUtf8Printable(what), qlonglong(text.size()), qUtf8Printable(how));
        return Outcome::NotSent;
    }
    qCWarning(lcSpeech,
        "The speech helper %s on a line of %lld characters (it %s): that line stays silent "
        "and is not sent again; the helper starts again for the next line",
        qUtf8Printable(what), qlonglong(text.size()), qUtf8Printable(how));
    return Outcome::HelperLost;
}
