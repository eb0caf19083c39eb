#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstddef>
#include <sys/types.h>

// A child process that talks over one socket joined to its standard input and output.
// Every call returns by its deadline; nothing here needs an event loop or a particular
// thread, and a child that has died never raises SIGPIPE in the caller.
class HelperProcess {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Result { Done, Closed, TimedOut, Failed };

    HelperProcess() = default;
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts the program; on failure says why in *error.
    bool start(const QString& program, const QStringList& arguments, QString* error);
    bool isRunning() const { return m_pid > 0; }
    // The child has closed its end or sent something unasked: it is gone or going.
    bool hasHungUp() const;
    pid_t processId() const { return m_pid; }

    Result send(const void* data, std::size_t size, Deadline deadline);
    Result receive(void* data, std::size_t size, Deadline deadline);
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
