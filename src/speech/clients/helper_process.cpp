#include "helper_process.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // Tells the program why exec failed; closed by a successful exec.
    int execFailure[2];
    if (pipe2(execFailure, O_CLOEXEC) != 0) {
        *error = errorText(errno);
        ::close(sockets[0]);
        ::close(sockets[1]);
        return false;
    }
    // Everything the child needs is made before the fork: after it, only system calls.
    QList<QByteArray> encoded { QFile::encodeName(program) };
    for (const QString& argument : arguments)
        encoded.append(argument.toLocal8Bit());
    QList<char*> argv;
    for (QByteArray& argument : encoded)
        argv.append(argument.data());
    argv.append(nullptr);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(sockets[1], STDIN_FILENO);
        ::dup2(sockets[1], STDOUT_FILENO);
        // Nothing else of the program's: marked close-on-exec rather than closed, so the
        // exec failure can still be told.
        ::close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The program may have died before the line above: then the parent is now init or a
        // subreaper, never the program.
        if (::getppid() != parent)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        const int failure = errno;
        [[maybe_unused]] const ssize_t told = ::write(execFailure[1], &failure, sizeof failure);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(sockets[1]);
    ::close(execFailure[1]);
    if (pid < 0) {
        ::close(execFailure[0]);
        ::close(sockets[0]);
        *error = errorText(forkError);
        return false;
    }
    int failure = 0;
    ssize_t got;
    while ((got = ::read(execFailure[0], &failure, sizeof failure)) < 0 && errno == EINTR) { }
    ::close(execFailure[0]);
    if (got == sizeof failure) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
        ::close(sockets[0]);
        *error = failure == ENOENT ? QStringLiteral("is missing") : errorText(failure);
        return false;
    }
    fcntl(sockets[0], F_SETFL, fcntl(sockets[0], F_GETFL) | O_NONBLOCK);
    m_pid = pid;
    m_socket = sockets[0];
    return true;
}

HelperProcess::Result HelperProcess::readAvailable(QByteArray& into)
{
    if (m_socket < 0)
        return Result::Closed;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            into.append(buffer, got);
            continue;
        }
        if (got == 0)
            return Result::Closed;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return Result::Done;
        m_lastError = errorText(errno);
        return errno == ECONNRESET ? Result::Closed : Result::Failed;
    }
}

HelperProcess::Result HelperProcess::writeSome(
    const char* data, std::size_t size, std::size_t* written)
{
    *written = 0;
    if (m_socket < 0)
        return Result::Closed;
    while (*written < size) {
        const ssize_t put = ::send(m_socket, data + *written, size - *written, MSG_NOSIGNAL);
        if (put > 0) {
            *written += std::size_t(put);
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return Result::Done;
        m_lastError = errorText(errno);
        return errno == EPIPE || errno == ECONNRESET ? Result::Closed : Result::Failed;
    }
    return Result::Done;
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
