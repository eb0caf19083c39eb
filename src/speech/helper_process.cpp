#include "helper_process.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString describeExit(int status)
{
    if (WIFSIGNALED(status))
        return QStringLiteral("was killed by signal %1 (%2)")
            .arg(WTERMSIG(status))
            .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status))));
    if (WIFEXITED(status))
        return QStringLiteral("exited with status %1").arg(WEXITSTATUS(status));
    return QStringLiteral("ended");
}

} // namespace

HelperProcess::~HelperProcess()
{
    stop();
}

bool HelperProcess::start(const QString& program, const QStringList& arguments, QString* error)
{
    stop();
    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        *error = errorText(errno);
        return false;
    }
    QList<QByteArray> encoded { QFile::encodeName(program) };
    for (const QString& argument : arguments)
        encoded.append(argument.toLocal8Bit());
    QList<char*> argv;
    for (QByteArray& argument : encoded)
        argv.append(argument.data());
    argv.append(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
    // The helper gets nothing else of ours: no audio connection, no open drill file.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (spawned != 0) {
        ::close(sockets[0]);
        *error = errorText(spawned);
        return false;
    }
    fcntl(sockets[0], F_SETFL, fcntl(sockets[0], F_GETFL) | O_NONBLOCK);
    m_pid = pid;
    m_socket = sockets[0];
    return true;
}

bool HelperProcess::hasHungUp() const
{
    if (m_socket < 0)
        return true;
    pollfd entry { m_socket, POLLIN, 0 };
    return ::poll(&entry, 1, 0) != 0;
}

bool HelperProcess::waitUntil(short events, Deadline deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry { m_socket, events, 0 };
        const int ready = ::poll(&entry, 1, int(qMin<qint64>(left.count(), 60'000)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return true; // the next call reports the error
    }
}

HelperProcess::Result HelperProcess::send(const void* data, std::size_t size, Deadline deadline)
{
    if (m_socket < 0)
        return Result::Closed;
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::send(m_socket, bytes, size, MSG_NOSIGNAL);
        if (put > 0) {
            bytes += put;
            size -= std::size_t(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitUntil(POLLOUT, deadline))
                return Result::TimedOut;
            continue;
        }
        m_lastError = errorText(errno);
        return errno == EPIPE || errno == ECONNRESET ? Result::Closed : Result::Failed;
    }
    return Result::Done;
}

HelperProcess::Result HelperProcess::receive(void* data, std::size_t size, Deadline deadline)
{
    if (m_socket < 0)
        return Result::Closed;
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::recv(m_socket, bytes, size, 0);
        if (got > 0) {
            bytes += got;
            size -= std::size_t(got);
            continue;
        }
        if (got == 0)
            return Result::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitUntil(POLLIN, deadline))
                return Result::TimedOut;
            continue;
        }
        m_lastError = errorText(errno);
        return errno == ECONNRESET ? Result::Closed : Result::Failed;
    }
    return Result::Done;
}

QString HelperProcess::stop()
{
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_pid <= 0)
        return {};
    int status = 0;
    pid_t ended = 0;
    // A helper that closed its end is on its way out: give it a moment to say how it ended.
    for (int tries = 0; tries < 20 && ended == 0; ++tries) {
        ended = waitpid(m_pid, &status, WNOHANG);
        if (ended == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    QString how;
    if (ended == 0) {
        ::kill(m_pid, SIGKILL);
        while ((ended = waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) { }
        how = QStringLiteral("stopped answering and was killed");
    }
    if (how.isEmpty())
        how = ended == m_pid ? describeExit(status) : QStringLiteral("ended");
    m_pid = -1;
    return how;
}
