#pragma once

#include "frame.h"

#include <QByteArray>
#include <QString>

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// Plays utterances through PulseAudio's client library (or PipeWire's PulseAudio service),
// on its threaded main loop, so that nothing here ever waits on the sound server.
//
// One playback stream stays open across lines, corked while idle. Each utterance goes to the
// server as soon as it arrives, whole (the server's buffer takes minutes of speech), with a
// small start threshold, so a stall of this process cannot cut a line; the latency the stream
// asks for stays small, so a stop is heard at once. A stop flushes the stream, or replaces it
// (see m_corkRightAfterFlush). A line the server never begins to play is written once more, to
// a new stream; one it says it has played counts as played once its read index has reached all
// that was written.
//
// Failures are told from the context's and the stream's state and from operations that do not
// complete: the server went away, the device went away or stopped playing, the server does
// not answer. Each is answered as Trouble, naming its cause, once until speech is heard again;
// what was queued is dropped, and the player connects again, so later lines are heard as soon
// as the server is back.
class PulsePlayer {
public:
    // Called on the main loop's thread, or the caller's, with one answer for the program.
    using Answer = std::function<void(
        Protocol::FrameKind kind, std::uint32_t value, const QByteArray& payload)>;

    explicit PulsePlayer(Answer answer);
    ~PulsePlayer();
    PulsePlayer(const PulsePlayer&) = delete;
    PulsePlayer& operator=(const PulsePlayer&) = delete;

    // An utterance at this rate: its samples (16-bit, mono, the machine's byte order) come
    // in any number of pieces, then its end. end() returns its number, counted from 1.
    void begin(int sampleRate);
    void append(const QByteArray& samples);
    std::uint32_t end();
    // Silences at once and drops every utterance so far.
    void stop();
    // Linear, 0.0 to 1.0; applies to what is playing too.
    void setVolume(double gain);

private:
    using Clock = std::chrono::steady_clock;

    struct Utterance {
        std::uint32_t number = 0;
        int sampleRate = 0;
        QByteArray bytes; // not yet written
        bool ended = false;
        bool dropped = false;
    };

    // Everything below runs on the main loop's thread or under its lock.
    void connectToServer();
    void dropContext();
    void openStream(int sampleRate);
    void dropStream();
    void reopenStream();
    void pump();
    // Sets the stream's volume to the gain asked for, once it is ready.
    void applyVolume();
    void drainIfDue();
    void cork(bool corked);
    void corkIfIdle();
    void track(pa_operation* operation);
    void check();
    void lose(const QString& cause);
    void replayOnNewStream();
    void dropAll();
    void settle(std::uint32_t upTo);
    void trouble(const QString& cause);
    bool isBusy() const;

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWritable(pa_stream* stream, std::size_t bytes, void* self);
    static void onUnderflow(pa_stream* stream, void* self);
    static void onDrained(pa_stream* stream, int success, void* self);
    static void onDrainChecked(pa_stream* stream, int success, void* self);
    static void onTiming(pa_stream* stream, int success, void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onServerEvent(
        pa_context* context, pa_subscription_event_type_t type, std::uint32_t index, void* self);
    static void onStreamVolume(
        pa_context* context, const pa_sink_input_info* info, int last, void* self);
    static void onTick(
        pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);

    Answer m_answer;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_mainloop_api* m_api = nullptr;
    pa_time_event* m_tick = nullptr;
    pa_context* m_context = nullptr;
    bool m_contextReady = false;
    bool m_hung = false; // the server has left something unanswered too long
    Clock::time_point m_connectingSince;
    Clock::time_point m_retryAt;
    QString m_offlineCause; // why there is no context, if there is none
    pa_stream* m_stream = nullptr;
    int m_streamRate = 0;
    Clock::time_point m_streamSince;
    Clock::time_point m_streamReadyAt;
    bool m_corked = true;
    // How a stop silences a playing stream. On PulseAudio a flush leaves what was already
    // mixed, and a cork keeps some of the old line to play at the next uncork, so the stream is
    // replaced by a fresh one. PipeWire's service needs a flush and a cork between lines, or the
    // next line may never be played.
    bool m_corkRightAfterFlush = false;
    // A stop's flush on PipeWire's service: the stream is flushed again right after its cork.
    bool m_flushAfterCork = false;
    std::size_t m_ahead = 0; // written since the server last asked for more

    std::deque<Utterance> m_queue; // not yet written whole
    // What was written of the utterances not yet played, kept to write them again to a new
    // stream if the server never starts playing the one they went to.
    std::deque<Utterance> m_written;
    bool m_replayed = false; // since a line was last heard to start
    std::uint32_t m_begun = 0;
    std::uint32_t m_writtenUpTo = 0; // whole in the server's buffer
    std::uint32_t m_drainedUpTo = 0; // played or dropped, as answered
    pa_operation* m_drain = nullptr;
    std::uint32_t m_drainTarget = 0;
    bool m_drainChecked = false; // the server's answer to it is being checked, or was
    Clock::time_point m_drainingSince;

    struct Pending {
        pa_operation* operation;
        Clock::time_point since;
    };
    std::vector<Pending> m_operations; // that the server must answer
    pa_operation* m_probe = nullptr;
    Clock::time_point m_probedAt;
    std::int64_t m_readIndex = -1;
    bool m_readIndexMoved = false; // since the drain began
    Clock::time_point m_readIndexMovedAt;
    Clock::time_point m_readIndexAnsweredAt;

    double m_gain = 1.0;
    std::uint32_t m_underflows = 0;
    QString m_troubleTold; // since speech was last heard
};
