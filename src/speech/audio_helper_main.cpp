// kelvaro-audio: plays what Kelvaro sends on standard input through the default audio output.
// It is a process of its own so that a sound server that hangs or goes away can take only
// this process with it: Kelvaro starts a new one for the next line, which finds the server
// afresh. It ends with its parent, at the end of its input, and when the sound server fails.
#include "audio_helper_protocol.h"
#include "sink_audio_output.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

using AudioHelperProtocol::Command;

class AudioHelper : public QObject {
public:
    AudioHelper()
        : m_sink([this] { return cutPending(); })
    {
        ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
        auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(input, &QSocketNotifier::activated, this, &AudioHelper::process);
        connect(&m_sink, &SinkAudioOutput::drained, this, [this] {
            if (!m_sink.isBusy())
                answer("D %llu\n", m_received);
        });
        connect(&m_sink, &SinkAudioOutput::playedOut, this, [] { answer("H\n"); });
        connect(&m_sink, &SinkAudioOutput::firstAudibleWritten, this, [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            answer("A %lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
        });
        // A fresh process finds the server again; this one may keep a broken connection.
        connect(&m_sink, &SinkAudioOutput::lost, this, [this] {
            answer("D %llu\n", m_received);
            std::_Exit(3);
        });
    }

private:
    template <typename... Args> static void answer(const char* format, Args... args)
    {
        char line[64];
        const int size = std::snprintf(line, sizeof line, format, args...);
        if (size > 0 && ::write(STDOUT_FILENO, line, size_t(size)) < 0)
            std::_Exit(0); // nobody listens any more
    }

    void readInput()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got > 0) {
                m_bytes.append(buffer, got);
                continue;
            }
            if (got == 0 || errno != EAGAIN)
                m_closed = true;
            break;
        }
        const auto commands = AudioHelperProtocol::decode(m_bytes);
        if (!commands) {
            std::fputs("kelvaro-audio: malformed input, leaving\n", stderr);
            m_closed = true;
            return;
        }
        m_pending.insert(m_pending.end(), commands->begin(), commands->end());
    }

    // Asked by the sink before it writes: a stop waiting in the input, or no program to
    // listen, means nothing more may be heard.
    bool cutPending()
    {
        readInput();
        return m_closed || stopPending();
    }

    bool stopPending() const
    {
        return std::any_of(m_pending.cbegin(), m_pending.cend(),
            [](const Command& command) { return command.kind == Command::Stop; });
    }

    void process()
    {
        readInput();
        while (!m_pending.empty() && !m_closed) {
            Command command = std::move(m_pending.front());
            m_pending.pop_front();
            switch (command.kind) {
            case Command::Stop:
                m_sink.stop();
                break;
            case Command::Volume:
                m_sink.setVolume(command.gain);
                break;
            case Command::Play:
                ++m_received;
                // What a later stop cuts off is not even started.
                if (!stopPending())
                    m_sink.play(command.pcm); // may wait on a hung server
                answer("S %llu\n", m_received);
                break;
            }
        }
        if (m_closed)
            std::_Exit(0);
        if (!m_sink.isBusy())
            answer("D %llu\n", m_received);
    }

    SinkAudioOutput m_sink;
    QByteArray m_bytes;
    std::deque<Command> m_pending;
    unsigned long long m_received = 0;
    bool m_closed = false;
};

} // namespace

int main(int argc, char* argv[])
{
    // Nothing may be heard once Kelvaro has gone, however it went.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1)
        return 0;
    QCoreApplication app(argc, argv);
    // Kelvaro passes on the first line it reads here, in words of its own.
    qSetMessagePattern(QStringLiteral("%{message}"));
    AudioHelper helper;
    return app.exec();
}
