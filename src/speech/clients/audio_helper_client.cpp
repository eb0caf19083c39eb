#include "audio_helper_client.h"

#include "audio_protocol.h"
#include "helper_programs.h"
#include "speech_log.h"

#include <QSocketNotifier>

#include <algorithm>
#include <chrono>

namespace {

// The helper takes a line within milliseconds, whatever the sound server does: one silent this
// long after being given a line is stuck.
constexpr std::chrono::milliseconds kHungAfter { 3000 };

} // namespace

AudioHelperClient::AudioHelperClient(const QString& helperPath, QObject* parent)
    : QObject(parent)
    , m_helperPath(helperPath)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &AudioHelperClient::onSilence);
    // Started now, so the first line does not wait for a process to start and connect.
    ensureRunning();
}

AudioHelperClient::~AudioHelperClient() = default;

void AudioHelperClient::play(const Pcm& pcm)
{
    if (pcm.isEmpty() || pcm.sampleRate <= 0 || !ensureRunning())
        return;
    ++m_sent;
    // Counted from the oldest line the helper has not taken.
    if (!m_watchdog.isActive())
        m_watchdog.start(kHungAfter);
    send(AudioProtocol::encodeUtterance(pcm));
}

void AudioHelperClient::stop()
{
    if (!m_helper.isRunning())
        return;
    send(AudioProtocol::encodeStop());
}

void AudioHelperClient::setVolume(double gain)
{
    m_gain = gain;
    if (m_helper.isRunning())
        send(AudioProtocol::encodeVolume(gain));
}

bool AudioHelperClient::ensureRunning()
{
    if (m_helper.isRunning())
        return true;
    if (m_missing)
        return false;
    QString error;
    if (!m_helper.start(m_helperPath, {}, &error)) {
        m_missing = error == u"is missing";
        report(m_missing ? QStringLiteral("the audio helper is missing (looked for %1)")
                               .arg(placesLookedFor(m_helperPath))
                         : QStringLiteral("the audio helper %1 could not be started (%2)")
                               .arg(m_helperPath, error));
        return false;
    }
    m_sentBeforeHelper = m_sent;
    m_takenUpTo = 0;
    m_reader = {};
    m_outgoing.clear();
    m_readable = std::make_unique<QSocketNotifier>(m_helper.socket(), QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &AudioHelperClient::readAnswers);
    m_writable = std::make_unique<QSocketNotifier>(m_helper.socket(), QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &AudioHelperClient::writePending);
    send(AudioProtocol::encodeVolume(m_gain));
    return true;
}

void AudioHelperClient::send(const QByteArray& bytes)
{
    m_outgoing += bytes;
    writePending();
}

void AudioHelperClient::writePending()
{
    std::size_t written = 0;
    const HelperProcess::Result result
        = m_helper.writeSome(m_outgoing.constData(), std::size_t(m_outgoing.size()), &written);
    m_outgoing.remove(0, qsizetype(written));
    if (result != HelperProcess::Result::Done) {
        onHelperGone(QString());
        return;
    }
    // A helper that does not read holds up nothing here: the rest waits for the socket.
    m_writable->setEnabled(!m_outgoing.isEmpty());
}

void AudioHelperClient::readAnswers()
{
    QByteArray bytes;
    const HelperProcess::Result result = m_helper.readAvailable(bytes);
    m_reader.append(bytes.constData(), bytes.size());
    while (const std::optional<Protocol::Frame> frame = m_reader.next())
        answer(*frame);
    if (m_reader.isBroken())
        onHelperGone(QStringLiteral("sent something unreadable"));
    else if (result != HelperProcess::Result::Done)
        onHelperGone(QString());
}

void AudioHelperClient::answer(const Protocol::Frame& frame)
{
    using Protocol::FrameKind;
    switch (frame.header.kind) {
    case FrameKind::Taken:
        m_takenUpTo = std::max<quint64>(m_takenUpTo, frame.header.value);
        if (m_sentBeforeHelper + m_takenUpTo >= m_sent)
            m_watchdog.stop();
        else
            m_watchdog.start(kHungAfter); // it answers: the next line's turn
        break;
    case FrameKind::Drained:
        settle(m_sentBeforeHelper + frame.header.value);
        break;
    case FrameKind::Played:
        if (!m_reportedCause.isEmpty())
            qCInfo(lcSpeech, "Speech is heard again.");
        m_reportedCause.clear();
        break;
    case FrameKind::Trouble:
        report(QString::fromUtf8(frame.payload));
        break;
    case FrameKind::Underflows:
        qCDebug(lcSpeech, "The sound server ran out of audio inside a line (%u times so far)",
            frame.header.value);
        break;
    case FrameKind::Note:
        qCDebug(lcSpeech, "The audio helper notes: %s", frame.payload.trimmed().constData());
        break;
    default:
        onHelperGone(QStringLiteral("sent something unreadable"));
        break;
    }
}

void AudioHelperClient::onHelperGone(const QString& why)
{
    if (!m_helper.isRunning())
        return;
    m_readable.reset();
    m_writable.reset();
    m_watchdog.stop();
    const QString how = m_helper.stop();
    report(QStringLiteral("the audio helper %1; it starts again for the next line")
               .arg(why.isEmpty() ? how : why + u" and " + how));
    // Whatever the helper had is gone with it.
    settle(m_sent);
}

void AudioHelperClient::onSilence()
{
    if (!isBusy() || !m_helper.isRunning())
        return;
    onHelperGone(QString());
}

void AudioHelperClient::report(const QString& failure)
{
    if (failure == m_reportedCause) {
        qCDebug(lcSpeech, "Speech is still silent: %s", qUtf8Printable(failure));
        return;
    }
    m_reportedCause = failure;
    qCWarning(lcSpeech, "Speech is silent: %s.", qUtf8Printable(failure));
}

void AudioHelperClient::settle(quint64 drainedUpTo)
{
    m_drainedUpTo = std::max(m_drainedUpTo, std::min(drainedUpTo, m_sent));
    if (!isBusy())
        emit drained();
}
