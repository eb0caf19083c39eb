#pragma once

#include "frame.h"
#include "helper_process.h"
#include "pcm.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

// The program's side of the audio helper (kelvaro-audio), event-driven on the thread it lives
// on: the helper is started at once, and again for the next line after it has gone; one that
// leaves a line unanswered too long is ended. Its calls never wait on the helper. What keeps
// speech silent is said once on lcSpeech, naming the cause, until speech is heard again.
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
    // Everything sent has been played, or dropped.
    void drained();

private:
    bool ensureRunning();
    void send(const QByteArray& bytes);
    void writePending();
    void readAnswers();
    void answer(const Protocol::Frame& frame);
    void onHelperGone(const QString& why);
    void onSilence();
    void report(const QString& failure);
    void settle(quint64 drainedUpTo);

    QString m_helperPath;
    HelperProcess m_helper;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    Protocol::FrameReader m_reader;
    QByteArray m_outgoing; // not yet taken by the socket
    quint64 m_sent = 0; // utterances sent to the helpers so far
    quint64 m_sentBeforeHelper = 0; // ... before the running helper started
    quint64 m_takenUpTo = 0; // by the running helper, counted from its start
    quint64 m_drainedUpTo = 0;
    double m_gain = 1.0;
    QTimer m_watchdog; // ends a helper that leaves a line unanswered too long
    bool m_missing = false;
    // Told once until speech is heard again; a new cause meanwhile is told too.
    QString m_reportedCause;
};
