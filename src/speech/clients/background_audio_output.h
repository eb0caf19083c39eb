#pragma once

#include "audio_output.h"
#include "speech_start.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <QString>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

class AudioHelperClient;

// Plays speech from a thread of its own through the audio helper process, so that a sound
// server that hangs (a stream start can block for half a minute) or goes away never holds up
// the thread that asks for speech, and speech comes back with the server. Calls only leave a
// note for the audio thread and return; requests that pile up meanwhile are sent at once,
// only those after the last cut.
class BackgroundAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT

public:
    // The helper is the kelvaro-audio program at that path. With SpeechStart::OnStart it
    // starts at start() or with the first sound to play, whichever comes first.
    explicit BackgroundAudioOutput(
        const QString& helperPath, SpeechStart start = SpeechStart::AtOnce);
    ~BackgroundAudioOutput() override;

    void play(const Pcm& pcm) override;
    void stop() override;
    void setVolume(double gain) override;
    void waitUntilPlayed() override;

    // Starts the helper, if it has not started yet.
    void start();

    // Something asked for has not yet been heard, or dropped.
    bool isBusy() const;

    // For ending the process at once: nothing more is sent, and nothing waits on the audio
    // thread. Leave the process right after: the helper ends with it.
    void silenceForExit();

private:
    void wakeAudioThread();
    void applyRequests();
    void noteSinkState();
    qint64 pendingMilliseconds() const;

    QThread m_thread;
    QObject* m_context = nullptr; // lives on the audio thread
    AudioHelperClient* m_sink = nullptr; // made, used and deleted on the audio thread only

    mutable std::mutex m_mutex;
    std::deque<Pcm> m_requests; // to be played after what the audio thread already has
    double m_gain = 1.0;
    bool m_wakePosted = false;
    bool m_applying = false; // the audio thread is handing requests to the sink
    bool m_sinkBusy = false;
    QElapsedTimer m_clock;
    qint64 m_queuedUntil = 0; // on m_clock: when everything asked for will have been heard
    quint64 m_cuts = 0;
    quint64 m_cutsApplied = 0; // audio thread only
    double m_gainApplied = -1; // audio thread only
    std::atomic<bool> m_exiting = false;
    std::atomic<bool> m_started = false;
    QString m_helperPath;
};
