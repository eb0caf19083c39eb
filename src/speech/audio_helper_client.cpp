#include "audio_helper_client.h"

#include "audio_helper_protocol.h"
#include "speech_log.h"

#include <QProcess>

#include <algorithm>
#include <chrono>

namespace {

// A helper answers a line within milliseconds; one silent this long after being given a line
// is stuck in the sound server (a stream start there times out only after about 30 s).
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

AudioHelperClient::~AudioHelperClient()
{
    if (m_helper) {
        m_helper->disconnect(this);
        m_helper->kill();
        m_helper->waitForFinished(1000);
    }
}

void AudioHelperClient::play(const Pcm& pcm)
{
    if (pcm.isEmpty() || pcm.sampleRate <= 0 || !ensureRunning())
        return;
    ++m_sent;
    // Counted from the first line the helper has not answered since its last answer.
    if (!m_watchdog.isActive())
        m_watchdog.start(kHungAfter);
    send(AudioHelperProtocol::encodePlay(pcm));
}

void AudioHelperClient::stop()
{
    if (m_helper)
        send(AudioHelperProtocol::encodeStop());
}

void AudioHelperClient::setVolume(double gain)
{
    m_gain = gain;
    if (m_helper)
        send(AudioHelperProtocol::encodeVolume(gain));
}

bool AudioHelperClient::ensureRunning()
{
    if (m_helper)
        return true;
    m_helper = new QProcess(this);
    m_sentBeforeHelper = m_sent;
    connect(m_helper, &QProcess::readyReadStandardOutput, this, &AudioHelperClient::readAnswers);
    connect(m_helper, &QProcess::readyReadStandardError, this, &AudioHelperClient::readComplaints);
    connect(m_helper, &QProcess::finished, this, &AudioHelperClient::onHelperGone);
    connect(m_helper, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            report(QStringLiteral("the audio helper %1 could not be started").arg(m_helperPath));
            onHelperGone();
        }
    });
    m_helper->start(m_helperPath, {});
    if (!m_helper)
        return false;
    send(AudioHelperProtocol::encodeVolume(m_gain));
    return true;
}

void AudioHelperClient::send(const QByteArray& bytes)
{
    // Buffered by QProcess: a helper that does not read holds up nothing here.
    m_helper->write(bytes);
}

void AudioHelperClient::readAnswers()
{
    m_answers += m_helper->readAllStandardOutput();
    m_watchdog.stop();
    qsizetype end;
    while ((end = m_answers.indexOf('\n')) >= 0) {
        const QByteArray line = m_answers.left(end);
        m_answers.remove(0, end + 1);
        if (line.startsWith("A ")) {
            emit firstAudibleWritten(line.mid(2).toLongLong());
        } else if (line == "H") {
            if (m_reported)
                qCInfo(lcSpeech, "Speech is heard again.");
            m_reported = false;
        } else if (line.startsWith("D ")) {
            settle(m_sentBeforeHelper + line.mid(2).toULongLong());
        }
    }
}

void AudioHelperClient::readComplaints()
{
    const QList<QByteArray> lines = m_helper->readAllStandardError().trimmed().split('\n');
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            report(
                QStringLiteral("the audio helper says \"%1\"").arg(QString::fromLocal8Bit(line)));
    }
}

void AudioHelperClient::onHelperGone()
{
    if (!m_helper)
        return;
    m_helper->disconnect(this);
    m_helper->deleteLater();
    m_helper = nullptr;
    m_answers.clear();
    m_watchdog.stop();
    // Whatever the helper had is gone with it.
    settle(m_sent);
}

void AudioHelperClient::onSilence()
{
    if (!isBusy() || !m_helper)
        return;
    report(QStringLiteral("the sound server does not answer"));
    m_helper->kill();
}

void AudioHelperClient::report(const QString& failure)
{
    if (m_reported)
        return;
    m_reported = true;
    qCWarning(lcSpeech,
        "Speech is silent: %s. It comes back by itself once the sound server (PulseAudio or "
        "PipeWire) answers again.",
        qUtf8Printable(failure));
}

void AudioHelperClient::settle(quint64 drainedUpTo)
{
    m_drainedUpTo = std::max(m_drainedUpTo, std::min(drainedUpTo, m_sent));
    if (!isBusy())
        emit drained();
}
