#pragma once

#include "audio_output.h"

#include <QAudio>
#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>

class QAudioSink;
class QIODevice;

// Plays speech on a Qt Multimedia audio device, one utterance after another, pushing the
// audio in small pieces so that stopping and volume changes are heard at once.
class SinkAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT

public:
    // The system's default output; without an audio service the output stays silent.
    explicit SinkAudioOutput(QObject* parent = nullptr);
    explicit SinkAudioOutput(const QAudioDevice& device, QObject* parent = nullptr);
    ~SinkAudioOutput() override;

    bool isAvailable() const { return !m_device.isNull(); }
    // Something is playing or waiting to be played.
    bool isBusy() const;

    void play(const Pcm& pcm) override;
    void stop() override;
    void setVolume(double gain) override;
    void waitUntilPlayed() override;

    // For ending the process at once: nothing more is heard or sent, and the audio device
    // is left as it is because tearing it down at the very end of the process can crash
    // inside the audio library. Leave the process right after (e.g. with _exit).
    void silenceForExit();

signals:
    // The first audio of an utterance has been handed to the device.
    void firstFrameWritten();
    // Everything queued has been played, or dropped.
    void drained();

private:
    void startNext();
    bool openSink(int sampleRate);
    void feed();
    void onStateChanged(QAudio::State state);
    void finishUtterance();
    void dropEverything();
    void reportNoAudioService();
    qint64 playingMilliseconds() const;
    qint64 pendingMilliseconds() const;

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_stream = nullptr;
    std::deque<Pcm> m_queue;
    QByteArray m_playing; // the utterance on the device, as bytes
    qsizetype m_written = 0;
    QElapsedTimer m_playingSince;
    int m_bytesPerSecond = 0;
    QTimer m_feedTimer;
    double m_gain = 1.0;
    bool m_exiting = false;
    bool m_warnedNoAudioService = false;
};
