#pragma once

#include "pcm.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QProcess;

// Plays speech through the audio helper process (kelvaro-audio), started at once and started
// again for the next line after it has gone: a helper that lost the sound server
// leaves by itself, one that stops answering is ended. Its calls never wait on the helper.
// Failures are said once on lcSpeech until speech is heard again.
class AudioHelperClient : public QObject {
    Q_OBJECT

public:
    explicit AudioHelperClient(const QString& helperPath, QObject* parent = nullptr);
    ~AudioHelperClient() override;

    // Something sent has not yet been played, or dropped.
    bool isBusy() const { return m_drainedUpTo < m_sent; }

    void play(const Pcm& pcm);
    void stop();
    void setVolume(double gain);

signals:
    // The first audible sample of an utterance went to the device at this time, in
    // nanoseconds on std::chrono::steady_clock.
    void firstAudibleWritten(qint64 steadyNanoseconds);
    // Everything sent has been played, or dropped.
    void drained();

private:
    bool ensureRunning();
    void send(const QByteArray& bytes);
    void readAnswers();
    void readComplaints();
    void onHelperGone();
    void onSilence();
    void report(const QString& failure);
    void settle(quint64 drainedUpTo);

    QString m_helperPath;
    QProcess* m_helper = nullptr;
    QByteArray m_answers;
    quint64 m_sent = 0; // utterances sent to the helpers so far
    quint64 m_sentBeforeHelper = 0; // ... before the running helper started
    quint64 m_drainedUpTo = 0;
    double m_gain = 1.0;
    QTimer m_watchdog; // ends a helper that leaves a line unanswered too long
    bool m_reported = false;
};
