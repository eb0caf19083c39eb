#include "pulse_player.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

using namespace std::chrono_literals;
using Protocol::FrameKind;

// The latency the stream asks of the server: how soon a line starts and a stop is heard.
constexpr pa_usec_t kLatencyUsec = 40'000;
// Playing starts once this much is in the server's buffer, or the utterance's end is.
constexpr pa_usec_t kStartThresholdUsec = 10'000;
// Written beyond what the server asks for: minutes of speech, below the server's own limit
// (4 MiB), so a whole utterance waits there and no stall of this process can cut it.
constexpr std::size_t kWriteAhead = 3u << 20;
// An operation the server has not answered in this time means it hangs.
constexpr auto kNoAnswer = 3s;
// A stream that plays nothing of its buffer for this long has a device that stopped.
constexpr auto kNotPlaying = 2s;
// A line the server has not begun to play in this time is written again to a new stream, once:
// PipeWire's service now and then leaves a stream unserved after it was uncorked.
constexpr auto kNeverStarted = 600ms;
constexpr auto kProbeEvery = 250ms;
constexpr auto kRetry = 500ms;
constexpr pa_usec_t kTickUsec = 250'000;
// How long after a stream is made a server may still apply the volume it keeps for the
// program (PipeWire's session manager does so on its own time), over the one asked for.
constexpr auto kVolumeRestoreWindow = 5s;

QString errorText(int error)
{
    return QString::fromUtf8(pa_strerror(error));
}

// Lets go of an operation once it has answered.
void release(pa_operation*& operation)
{
    if (operation)
        pa_operation_unref(std::exchange(operation, nullptr));
}

// Lets go of an operation whose answer is no longer wanted: its callback is not called.
void cancel(pa_operation*& operation)
{
    if (operation)
        pa_operation_cancel(operation);
    release(operation);
}

class Locked {
public:
    explicit Locked(pa_threaded_mainloop* loop)
        : m_loop(loop)
    {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~Locked() { pa_threaded_mainloop_unlock(m_loop); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

PulsePlayer* playerOf(void* self)
{
    return static_cast<PulsePlayer*>(self);
}

} // namespace

PulsePlayer::PulsePlayer(Answer answer)
    : m_answer(std::move(answer))
{
    m_loop = pa_threaded_mainloop_new();
    m_api = pa_threaded_mainloop_get_api(m_loop);
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kTickUsec);
    m_tick = m_api->time_new(m_api, &when, &PulsePlayer::onTick, this);
    connectToServer();
    pa_threaded_mainloop_start(m_loop);
}

PulsePlayer::~PulsePlayer()
{
    pa_threaded_mainloop_stop(m_loop);
    dropContext();
    m_api->time_free(m_tick);
    pa_threaded_mainloop_free(m_loop);
}

void PulsePlayer::begin(int sampleRate)
{
    const Locked lock(m_loop);
    m_queue.push_back({ ++m_begun, sampleRate, {}, false, sampleRate <= 0 });
    // Without a server it is lost at once, and the program hears why.
    if (!m_context || m_hung)
        lose(m_offlineCause.isEmpty() ? QStringLiteral("no sound server could be reached")
                                      : m_offlineCause);
}

void PulsePlayer::append(const QByteArray& samples)
{
    const Locked lock(m_loop);
    if (m_queue.empty() || m_queue.back().ended || m_queue.back().dropped)
        return;
    m_queue.back().bytes += samples;
    pump();
}

std::uint32_t PulsePlayer::end()
{
    const Locked lock(m_loop);
    if (m_queue.empty() || m_queue.back().ended)
        return m_begun;
    Utterance& utterance = m_queue.back();
    utterance.ended = true;
    const std::uint32_t number = utterance.number;
    if (utterance.dropped) {
        m_queue.pop_back();
        m_writtenUpTo = std::max(m_writtenUpTo, number);
        settle(number);
        return number;
    }
    pump();
    return number;
}

void PulsePlayer::stop()
{
    const Locked lock(m_loop);
    dropAll();
}

void PulsePlayer::setVolume(double gain)
{
    const Locked lock(m_loop);
    m_gain = std::clamp(gain, 0.0, 1.0);
    applyVolume();
}

void PulsePlayer::applyVolume()
{
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    pa_cvolume volume;
    pa_cvolume_set(&volume, 1, pa_sw_volume_from_linear(m_gain));
    track(pa_context_set_sink_input_volume(
        m_context, pa_stream_get_index(m_stream), &volume, nullptr, nullptr));
}

void PulsePlayer::connectToServer()
{
    m_connectingSince = Clock::now();
    m_context = pa_context_new(m_api, "Kelvaro");
    if (!m_context) {
        m_offlineCause = QStringLiteral("the sound library could not be set up");
        m_retryAt = m_connectingSince + kRetry;
        return;
    }
    pa_context_set_state_callback(m_context, &PulsePlayer::onContextState, this);
    // Never starts a server of its own: the desktop's is the one the learner hears.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        if (m_offlineCause.isEmpty())
            m_offlineCause = QStringLiteral("no sound server could be reached (%1)")
                                 .arg(errorText(pa_context_errno(m_context)));
        dropContext();
        m_retryAt = m_connectingSince + kRetry;
    }
}

void PulsePlayer::dropContext()
{
    dropStream();
    for (const Pending& pending : m_operations) {
        pa_operation_cancel(pending.operation);
        pa_operation_unref(pending.operation);
    }
    m_operations.clear();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_contextReady = false;
}

void PulsePlayer::onContextState(pa_context* context, void* self)
{
    PulsePlayer& player = *playerOf(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        pa_context_set_subscribe_callback(context, &PulsePlayer::onServerEvent, self);
        player.track(
            pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SINK_INPUT, nullptr, nullptr));
        player.track(pa_context_get_server_info(context, &PulsePlayer::onServerInfo, self));
        player.m_contextReady = true;
        player.m_hung = false;
        player.m_offlineCause.clear();
        player.pump();
        return;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        const bool wasReady = player.m_contextReady;
        const QString error = errorText(pa_context_errno(context));
        // Until a connection is made again, the cause stays what first broke it.
        if (wasReady)
            player.m_offlineCause = QStringLiteral("the sound server went away (%1)").arg(error);
        else if (player.m_offlineCause.isEmpty())
            player.m_offlineCause
                = QStringLiteral("no sound server could be reached (%1)").arg(error);
        const bool busy = player.isBusy();
        player.dropContext();
        player.m_hung = false;
        player.m_retryAt = Clock::now() + kRetry;
        // Lost while idle, nothing was missed: the next line tells, if the server is still away.
        if (busy)
            player.lose(player.m_offlineCause);
        return;
    }
    default:
        return;
    }
}

void PulsePlayer::openStream(int sampleRate)
{
    const pa_sample_spec format { PA_SAMPLE_S16NE, std::uint32_t(sampleRate), 1 };
    m_stream = pa_stream_new(m_context, "Speech", &format, nullptr);
    if (!m_stream) {
        lose(QStringLiteral("the sound server refused a stream (%1)")
                 .arg(errorText(pa_context_errno(m_context))));
        return;
    }
    pa_stream_set_state_callback(m_stream, &PulsePlayer::onStreamState, this);
    pa_stream_set_write_callback(m_stream, &PulsePlayer::onWritable, this);
    pa_stream_set_underflow_callback(m_stream, &PulsePlayer::onUnderflow, this);
    pa_buffer_attr attributes;
    attributes.maxlength = std::uint32_t(-1);
    attributes.tlength = std::uint32_t(pa_usec_to_bytes(kLatencyUsec, &format));
    attributes.prebuf = std::uint32_t(pa_usec_to_bytes(kStartThresholdUsec, &format));
    attributes.minreq = std::uint32_t(-1);
    attributes.fragsize = std::uint32_t(-1);
    pa_cvolume volume;
    pa_cvolume_set(&volume, 1, pa_sw_volume_from_linear(m_gain));
    m_streamRate = sampleRate;
    m_streamSince = Clock::now();
    m_corked = true;
    m_flushAfterCork = false;
    m_ahead = 0;
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (pa_stream_connect_playback(m_stream, nullptr, &attributes, flags, &volume, nullptr) < 0) {
        const QString error = errorText(pa_context_errno(m_context));
        dropStream();
        lose(QStringLiteral("the sound server refused a stream (%1)").arg(error));
    }
}

void PulsePlayer::dropStream()
{
    cancel(m_drain);
    cancel(m_probe);
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    m_streamRate = 0;
}

void PulsePlayer::onStreamState(pa_stream* stream, void* self)
{
    PulsePlayer& player = *playerOf(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        // A server that restores each program's last volume (PipeWire's does) overrides the
        // one asked for at connection: a stream made while muted would mute the next ones.
        // It may do so after this, too: see onServerEvent.
        player.m_streamReadyAt = Clock::now();
        player.applyVolume();
        player.pump();
        return;
    case PA_STREAM_FAILED: {
        // A context that failed says so itself, and more truly.
        if (pa_context_get_state(player.m_context) != PA_CONTEXT_READY)
            return;
        const QString cause = QStringLiteral("the sound device went away (%1)")
                                  .arg(errorText(pa_context_errno(player.m_context)));
        const bool busy = player.isBusy();
        player.dropStream();
        if (busy)
            player.lose(cause);
        return;
    }
    default:
        return;
    }
}

void PulsePlayer::onWritable(pa_stream*, std::size_t, void* self)
{
    playerOf(self)->pump();
}

void PulsePlayer::onUnderflow(pa_stream*, void* self)
{
    PulsePlayer& player = *playerOf(self);
    // The server ran dry inside an utterance: part of it was written, more was still to come
    // from the program or from here. The end of one while the next waits for its stream is
    // no underflow.
    const bool inside = !player.m_queue.empty() && !player.m_queue.front().dropped
        && !player.m_written.empty()
        && player.m_written.back().number == player.m_queue.front().number;
    if (inside) {
        ++player.m_underflows;
        player.m_answer(FrameKind::Underflows, player.m_underflows, {});
    }
}

bool PulsePlayer::isBusy() const
{
    return !m_queue.empty() || m_writtenUpTo > m_drainedUpTo;
}

void PulsePlayer::pump()
{
    if (!m_contextReady || m_hung)
        return;
    while (!m_queue.empty()) {
        Utterance& utterance = m_queue.front();
        if (utterance.dropped)
            return; // until its end arrives
        if (!m_stream || m_streamRate != utterance.sampleRate) {
            // Another rate needs another stream, once the old one has played what it has.
            if (m_stream && m_writtenUpTo > m_drainedUpTo)
                break;
            dropStream();
            openStream(utterance.sampleRate);
            return;
        }
        if (pa_stream_get_state(m_stream) != PA_STREAM_READY)
            return;
        const std::size_t writable = pa_stream_writable_size(m_stream);
        if (writable == std::size_t(-1))
            return;
        // The server asks for more only when its buffer is nearly empty.
        if (writable > 0)
            m_ahead = 0;
        std::size_t size = std::min<std::size_t>(
            std::size_t(utterance.bytes.size()), kWriteAhead - std::min(m_ahead, kWriteAhead));
        size -= size % sizeof(std::int16_t);
        if (size > 0) {
            if (pa_stream_write(
                    m_stream, utterance.bytes.constData(), size, nullptr, 0, PA_SEEK_RELATIVE)
                < 0) {
                lose(QStringLiteral("writing to the sound server failed (%1)")
                         .arg(errorText(pa_context_errno(m_context))));
                return;
            }
            m_ahead += size;
            if (m_written.empty() || m_written.back().number != utterance.number)
                m_written.push_back({ utterance.number, utterance.sampleRate, {}, false, false });
            m_written.back().bytes.append(utterance.bytes.constData(), qsizetype(size));
            utterance.bytes.remove(0, qsizetype(size));
            if (m_corked)
                cork(false);
        }
        if (!utterance.bytes.isEmpty() || !utterance.ended)
            break; // the server takes more later, or more arrives
        m_writtenUpTo = utterance.number;
        m_queue.pop_front();
    }
    drainIfDue();
}

void PulsePlayer::drainIfDue()
{
    if (m_drain || !m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY
        || m_writtenUpTo <= m_drainedUpTo)
        return;
    if (m_corked)
        cork(false);
    m_drainTarget = m_writtenUpTo;
    m_drainChecked = false;
    m_drain = pa_stream_drain(m_stream, &PulsePlayer::onDrained, this);
    m_readIndex = -1;
    m_readIndexMoved = false;
    m_readIndexMovedAt = m_drainingSince = Clock::now();
    // Where the server stands before it can have played much: whether it starts is told from it.
    if (!m_probe) {
        m_probe = pa_stream_update_timing_info(m_stream, &PulsePlayer::onTiming, this);
        m_probedAt = m_readIndexMovedAt;
    }
}

void PulsePlayer::onDrained(pa_stream* stream, int success, void* self)
{
    PulsePlayer& player = *playerOf(self);
    release(player.m_drain);
    // A server may answer a drain before it has played what it was given: PipeWire's service
    // has answered the drain of a line a stop ended a moment before as this one's, as it keeps
    // one drain to answer and a flush does not end the old one. A true answer comes once all
    // written has been played, so the server's read index tells a false one.
    if (success && !player.m_drainChecked) {
        player.m_drainChecked = true;
        player.m_drain = pa_stream_update_timing_info(stream, &PulsePlayer::onDrainChecked, self);
        if (player.m_drain)
            return;
    }
    player.settle(player.m_drainTarget);
    if (success) {
        player.m_troubleTold.clear();
        player.m_answer(FrameKind::Played, player.m_drainTarget, {});
    }
    player.pump();
    player.corkIfIdle();
}

void PulsePlayer::onDrainChecked(pa_stream* stream, int success, void* self)
{
    PulsePlayer& player = *playerOf(self);
    release(player.m_drain);
    const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    if (timing && !timing->read_index_corrupt && !timing->write_index_corrupt
        && timing->read_index < timing->write_index) {
        const QByteArray note = QByteArrayLiteral("the sound server said a line had been played "
                                                  "before it had played it: it is drained again\n");
        player.m_answer(FrameKind::Note, std::uint32_t(note.size()), note);
        player.m_drain = pa_stream_drain(stream, &PulsePlayer::onDrained, self);
        if (player.m_drain)
            return;
    }
    onDrained(stream, 1, self);
}

void PulsePlayer::onTiming(pa_stream* stream, int success, void* self)
{
    PulsePlayer& player = *playerOf(self);
    release(player.m_probe);
    const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    if (timing)
        player.m_readIndexAnsweredAt = Clock::now();
    if (timing && timing->read_index != player.m_readIndex) {
        player.m_readIndexMoved = player.m_readIndex >= 0;
        player.m_readIndex = timing->read_index;
        player.m_readIndexMovedAt = Clock::now();
        if (player.m_readIndexMoved)
            player.m_replayed = false;
    }
}

void PulsePlayer::onServerInfo(pa_context*, const pa_server_info* info, void* self)
{
    playerOf(self)->m_corkRightAfterFlush
        = info && info->server_name && std::strstr(info->server_name, "PipeWire");
}

void PulsePlayer::cork(bool corked)
{
    m_corked = corked;
    track(pa_stream_cork(m_stream, corked, nullptr, nullptr));
    // PipeWire's service empties a stream's buffer on its main thread while its audio thread
    // may be taking a piece of the old line from it, to wait in the stream's queue, and in the
    // converter's memory, for the next uncork. Corked, the stream gives the audio thread only
    // silence, so a second flush leaves nothing of the old line behind.
    if (corked && m_flushAfterCork)
        track(pa_stream_flush(m_stream, nullptr, nullptr));
    m_flushAfterCork = false;
}

void PulsePlayer::onServerEvent(
    pa_context* context, pa_subscription_event_type_t type, std::uint32_t index, void* self)
{
    PulsePlayer& player = *playerOf(self);
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_CHANGE || !player.m_stream
        || pa_stream_get_state(player.m_stream) != PA_STREAM_READY
        || index != pa_stream_get_index(player.m_stream)
        || Clock::now() - player.m_streamReadyAt > kVolumeRestoreWindow)
        return;
    player.track(
        pa_context_get_sink_input_info(context, index, &PulsePlayer::onStreamVolume, self));
}

void PulsePlayer::onStreamVolume(pa_context*, const pa_sink_input_info* info, int, void* self)
{
    PulsePlayer& player = *playerOf(self);
    // Later changes are the learner's own, in the desktop's mixer: they stay.
    if (info && pa_cvolume_avg(&info->volume) != pa_sw_volume_from_linear(player.m_gain))
        player.applyVolume();
}

void PulsePlayer::track(pa_operation* operation)
{
    if (operation)
        m_operations.push_back({ operation, Clock::now() });
}

void PulsePlayer::onTick(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
{
    playerOf(self)->check();
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), kTickUsec);
    api->time_restart(event, &when);
}

void PulsePlayer::check()
{
    const Clock::time_point now = Clock::now();
    std::erase_if(m_operations, [](const Pending& pending) {
        if (pa_operation_get_state(pending.operation) == PA_OPERATION_RUNNING)
            return false;
        pa_operation_unref(pending.operation);
        return true;
    });
    if (!m_context) {
        if (now >= m_retryAt)
            connectToServer();
        return;
    }
    const bool unanswered = std::any_of(m_operations.cbegin(), m_operations.cend(),
        [&](const Pending& pending) { return now - pending.since > kNoAnswer; });
    const bool hung = (!m_contextReady && now - m_connectingSince > kNoAnswer)
        || (m_contextReady
            && (unanswered || (m_probe && now - m_probedAt > kNoAnswer)
                || (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_CREATING
                    && now - m_streamSince > kNoAnswer)));
    if (hung && !m_hung) {
        // The connection is kept: a new one would only wait in the server's queue too, and
        // crowd out other programs once it answers again. Nothing more is sent meanwhile.
        m_hung = true;
        m_offlineCause = QStringLiteral("the sound server does not answer");
        if (isBusy())
            lose(m_offlineCause);
        dropStream();
        if (m_contextReady)
            track(pa_context_get_server_info(m_context, &PulsePlayer::onServerInfo, this));
    } else if (!hung && m_hung) {
        m_hung = false;
        m_offlineCause.clear();
    }
    if (m_hung)
        return;
    corkIfIdle();
    if (!m_drain || m_corked)
        return;
    if (!m_probe && now - m_probedAt >= kProbeEvery) {
        m_probe = pa_stream_update_timing_info(m_stream, &PulsePlayer::onTiming, this);
        m_probedAt = now;
    }
    // The server answers, yet plays nothing of what it has.
    if (m_readIndex >= 0 && !m_readIndexMoved && !m_replayed
        && m_readIndexAnsweredAt - m_readIndexMovedAt >= kNeverStarted)
        return replayOnNewStream();
    if (m_readIndex >= 0 && now - m_readIndexMovedAt > kNotPlaying)
        lose(pa_stream_is_suspended(m_stream) > 0
                ? QStringLiteral("the sound device is suspended")
                : QStringLiteral("the sound device stopped playing"));
}

void PulsePlayer::replayOnNewStream()
{
    // What the server said of the stream, for whoever reads the note.
    const pa_timing_info* timing = pa_stream_get_timing_info(m_stream);
    const QByteArray note
        = QStringLiteral("the sound server had not begun to play a line in %1 ms (at byte %2 of "
                         "the %3 written, %4): it is written again to a new stream\n")
              .arg(std::chrono::duration_cast<std::chrono::milliseconds>(
                  m_readIndexAnsweredAt - m_drainingSince)
                       .count())
              .arg(timing ? timing->read_index : -1)
              .arg(timing ? timing->write_index : -1)
              .arg(timing && timing->playing ? u"playing" : u"not playing")
              .toUtf8();
    m_answer(FrameKind::Note, std::uint32_t(note.size()), note);
    // Nothing of these was heard: each goes back to the queue whole, before what was not yet
    // written of the last of them.
    for (auto written = m_written.rbegin(); written != m_written.rend(); ++written) {
        if (!m_queue.empty() && m_queue.front().number == written->number) {
            m_queue.front().bytes.prepend(written->bytes);
        } else { // only the last can be part of a line, and that part's line is still queued
            written->ended = true;
            m_queue.push_front(std::move(*written));
        }
    }
    m_written.clear();
    m_writtenUpTo = m_drainedUpTo;
    m_replayed = true;
    reopenStream();
}

void PulsePlayer::reopenStream()
{
    const int rate = m_streamRate;
    dropStream();
    openStream(rate); // corked, ready for the next line
}

void PulsePlayer::lose(const QString& cause)
{
    if (!cause.isEmpty())
        trouble(cause);
    dropAll();
}

void PulsePlayer::dropAll()
{
    std::erase_if(m_queue, [](const Utterance& utterance) { return utterance.ended; });
    m_written.clear();
    m_replayed = false;
    for (Utterance& utterance : m_queue) {
        utterance.dropped = true;
        utterance.bytes.clear();
    }
    cancel(m_drain);
    if (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY && !m_corked) {
        if (m_corkRightAfterFlush) {
            track(pa_stream_flush(m_stream, nullptr, nullptr));
            m_ahead = 0;
            m_flushAfterCork = true;
        } else {
            // A flush leaves what the server has already mixed of the line, and a cork keeps
            // it to play at the next uncork; only a stream that goes takes all of it along.
            reopenStream();
        }
    }
    const std::uint32_t ended = m_queue.empty() ? m_begun : m_begun - 1;
    m_writtenUpTo = std::max(m_writtenUpTo, ended);
    settle(ended);
    corkIfIdle();
}

void PulsePlayer::corkIfIdle()
{
    if (!m_stream || m_corked || isBusy() || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    cork(true);
}

void PulsePlayer::settle(std::uint32_t upTo)
{
    std::erase_if(m_written, [upTo](const Utterance& written) { return written.number <= upTo; });
    if (upTo <= m_drainedUpTo)
        return;
    m_drainedUpTo = upTo;
    m_answer(FrameKind::Drained, upTo, {});
}

void PulsePlayer::trouble(const QString& cause)
{
    if (cause == m_troubleTold)
        return;
    m_troubleTold = cause;
    m_answer(FrameKind::Trouble, std::uint32_t(cause.toUtf8().size()), cause.toUtf8());
}
