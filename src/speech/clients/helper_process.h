#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <sys/types.h>

// One of Kelvaro's helper processes, and the one way the program starts, watches and stops
// them. The child talks over one socket joined to its standard input and output and keeps the
// program's standard error. It inherits no other descriptor of the program (no drill file,
// no display or audio connection), is killed when the thread that started it ends, and never
// outlives a program that died while it started, also under a subreaper.
// The calls suit both styles of client: blocking ones with a deadline (send, receive) for a
// plain thread, and non-blocking ones (socket, readAvailable, writeSome) for an event loop.
// None raises SIGPIPE in the caller.
class HelperProcess {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Result { Done, Closed, TimedOut, Failed };

    HelperProcess() = default;
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts the program; on failure says why in *error, e.g. "is missing".
    bool start(const QString& program, const QStringList& arguments, QString* error);
    bool isRunning() const { return m_pid > 0; }
    // The child has closed its end or sent something unasked: it is gone or going.
    bool hasHungUp() const;
    pid_t processId() const { return m_pid; }
    // The program's end of the socket (non-blocking), or -1.
    int socket() const { return m_socket; }

    Result send(const void* data, std::size_t size, Deadline deadline);
    Result receive(void* data, std::size_t size, Deadline deadline);
    // Appends whatever has arrived without waiting: Done (maybe nothing), Closed or Failed.
    Result readAvailable(QByteArray& into);
    // Writes what the socket takes now, and says how much in *written.
    Result writeSome(const char* data, std::size_t size, std::size_t* written);
    // What went wrong in the last call that returned Failed.
    QString lastError() const { return m_lastError; }

    // Ends the child (killing it if it is still there) and says how it ended, e.g.
    // "was killed by signal 6 (Aborted)".
    QString stop();

private:
    bool waitUntil(short events, Deadline deadline);

    pid_t m_pid = -1;
    int m_socket = -1;
    QString m_lastError;
};
