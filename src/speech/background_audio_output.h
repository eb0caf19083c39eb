#pragma once

#include "audio_output.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

class SinkAudioOutput;

// Plays speech on a thread of its own, so that a sound server that hangs (a stream start can
// block for half a minute) or goes away never holds up the thread that asks for speech. Calls
// only leave a note for the audio thread and return; a cut is honoured before any more audio
// is written, even by a start that was blocked while it was asked for.
class BackgroundAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT

public:
    // The system's default output, found (and found again after the server comes back) on
    // the audio thread.
    BackgroundAudioOutput();
    // Always this device; a null device keeps the output silent.
    explicit BackgroundAudioOutput(const QAudioDevice& device);
    // Waits for the audio thread to finish, so the server must answer by then.
    ~BackgroundAudioOutput() override;

    void play(const Pcm& pcm) override;
    void stop() override;
    void setVolume(double gain) override;
    void waitUntilPlayed() override;

    // Something asked for has not yet been heard, or dropped.
    bool isBusy() const;

    // For ending the process at once: nothing more is sent, and nothing waits on the audio
    // thread, which may be stuck in the sound server. Leave the process right after.
    void silenceForExit();

signals:
    // Emitted on the audio thread: the first audible sample of an utterance has been
    // handed to the device.
    void firstAudibleWritten();

private:
    explicit BackgroundAudioOutput(std::optional<QAudioDevice> device);
    void wakeAudioThread();
    void applyRequests();
    void noteSinkState();
    qint64 pendingMilliseconds() const;

    QThread m_thread;
    QObject* m_context = nullptr; // lives on the audio thread
    SinkAudioOutput* m_sink = nullptr; // made, used and deleted on the audio thread only

    mutable std::mutex m_mutex;
    std::deque<Pcm> m_requests; // to be played after what the audio thread already has
    double m_gain = 1.0;
    bool m_wakePosted = false;
    bool m_applying = false; // the audio thread is handing requests to the sink
    bool m_sinkBusy = false;
    QElapsedTimer m_clock;
    qint64 m_queuedUntil = 0; // on m_clock: when everything asked for will have been heard
    std::atomic<quint64> m_cuts = 0;
    quint64 m_cutsApplied = 0; // audio thread only
    double m_gainApplied = -1; // audio thread only
    std::atomic<bool> m_exiting = false;
};
