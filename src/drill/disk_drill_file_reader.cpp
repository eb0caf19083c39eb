#include "disk_drill_file_reader.h"

#include "drill_text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

DrillFileContents failure(const QString& path, const QString& reason)
{
    return { {},
        QStringLiteral("The drill file \u201c%1\u201d could not be read: %2.")
            .arg(QDir::toNativeSeparators(path), reason) };
}

} // namespace

DrillFileContents DiskDrillFileReader::read(const QString& path, int maxLines)
{
    // Opening without blocking and checking the opened file itself means a FIFO put in
    // place of the chosen file cannot make the open or the read wait for a writer.
    const FileDescriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        return failure(path, systemError(errno));

    struct stat info { };
    if (::fstat(fd.get(), &info) != 0)
        return failure(path, systemError(errno));
    if (!S_ISREG(info.st_mode))
        return failure(path, QStringLiteral("it is not a regular file"));
    if (info.st_size > MaxFileSize)
        return failure(path,
            QStringLiteral("it is larger than %1 MiB, too large for a drill file")
                .arg(MaxFileSize / (1024 * 1024)));

    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failure(path, systemError(errno));
        }
        // The file may grow while it is read; the limit holds all the same.
        if (bytes.size() + count > MaxFileSize)
            return failure(path, QStringLiteral("it grew past the size limit while being read"));
        bytes.append(buffer, static_cast<qsizetype>(count));
    }
    return { splitDrillLines(decodeDrillText(bytes), maxLines), {} };
}
