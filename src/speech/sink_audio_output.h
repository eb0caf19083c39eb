#pragma once

#include "pcm.h"

#include <QAudio>
#include <QAudioDevice>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class QAudioSink;
class QIODevice;

// Plays speech on a Qt Multimedia audio device, one utterance after another, pushing the
// audio in small pieces so that stopping and volume changes are heard at once. Lives on one
// thread, whose event loop feeds it; its calls may block as long as the sound server does,
// so the program runs it in the audio helper process (kelvaro-audio), never on the window's
// thread.
class SinkAudioOutput : public QObject {
    Q_OBJECT

public:
    // Asked before any audio is written: true means a cut is on its way, so nothing queued
    // may be heard any more.
    using CutPending = std::function<bool()>;

    // Plays on the system's default output, looked up again after a failure.
    explicit SinkAudioOutput(CutPending cutPending = {});
    ~SinkAudioOutput() override;

    // Something is playing or waiting to be played.
    bool isBusy() const;

    void play(const Pcm& pcm);
    void stop();
    void setVolume(double gain);

signals:
    // The first sample of an utterance that can be heard has been handed to the device.
    void firstAudibleWritten();
    // Everything queued has been played, or dropped.
    void drained();
    // An utterance has been played to its end.
    void playedOut();
    // The device or the sound server failed (said once on lcSpeech); later lines try again.
    void lost();

private:
    void startNext();
    bool openSink(int sampleRate);
    void dropSink();
    void feed();
    void onStateChanged(QAudio::State state);
    void finishUtterance();
    void dropEverything();
    void reportLost(const char* what);
    qint64 playingMilliseconds() const;

    QAudioDevice m_device;
    CutPending m_cutPending;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_stream = nullptr;
    std::deque<Pcm> m_queue;
    QByteArray m_playing; // the utterance on the device, as bytes
    qsizetype m_written = 0;
    bool m_audibleWritten = false;
    QElapsedTimer m_playingSince;
    QElapsedTimer m_tookAudioLast; // when the device last took a piece of the utterance
    int m_bytesPerSecond = 0;
    QTimer m_feedTimer;
    double m_gain = 1.0;
    bool m_lost = false; // said once, until an utterance plays out again
};
