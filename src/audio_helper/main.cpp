// kelvaro-audio: plays the utterances Kelvaro sends on its standard input through the sound
// server (PulseAudio, or PipeWire's PulseAudio service), and answers on its standard output
// (see audio_protocol.h). A process of its own, so that a sound server that hangs can never
// hold up the window. Started by the program; ends when the program closes the socket or dies.
#include "audio_protocol.h"
#include "pulse_player.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

using Protocol::FrameKind;

// Answers come from the reading thread and the sound library's thread.
class AnswerChannel {
public:
    void send(FrameKind kind, std::uint32_t value, const QByteArray& payload)
    {
        const QByteArray frame = Protocol::encode(kind, value, payload);
        const std::lock_guard lock(m_mutex);
        const char* bytes = frame.constData();
        std::size_t left = std::size_t(frame.size());
        while (left > 0) {
            const ssize_t put = ::write(STDOUT_FILENO, bytes, left);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                std::_Exit(0); // nobody listens any more
            bytes += put;
            left -= std::size_t(put);
        }
    }

private:
    std::mutex m_mutex;
};

} // namespace

int main()
{
    AnswerChannel answers;
    // The sound library writes notes of its own on standard error (e.g. that it cannot keep a
    // cookie under a read-only home). They are no failures (real ones come back from its
    // calls, and the program hears why): they go to the program as notes for its debug log.
    int notes[2];
    if (::pipe2(notes, O_CLOEXEC) == 0 && ::dup2(notes[1], STDERR_FILENO) >= 0) {
        ::close(notes[1]);
        std::thread([&answers, fd = notes[0]] {
            char line[4096];
            for (;;) {
                const ssize_t got = ::read(fd, line, sizeof line);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    return;
                answers.send(FrameKind::Note, std::uint32_t(got), QByteArray(line, got));
            }
        }).detach();
    }
    PulsePlayer player([&answers](FrameKind kind, std::uint32_t value, const QByteArray& payload) {
        answers.send(kind, value, payload);
    });
    Protocol::FrameReader reader;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            std::_Exit(0); // the program has gone: nothing more may be heard
        reader.append(buffer, got);
        while (const std::optional<Protocol::Frame> frame = reader.next()) {
            switch (frame->header.kind) {
            case FrameKind::Begin:
                player.begin(int(frame->header.value));
                break;
            case FrameKind::Samples:
                player.append(frame->payload);
                break;
            case FrameKind::End:
                answers.send(FrameKind::Taken, player.end(), {});
                break;
            case FrameKind::Stop:
                player.stop();
                break;
            case FrameKind::Volume:
                player.setVolume(AudioProtocol::gainOf(frame->header.value));
                break;
            default:
                reader.breakOff();
                break;
            }
        }
        if (reader.isBroken())
            std::_Exit(2); // the program hears of it as an end with status 2
    }
}
