#include "disk_drill_file_reader.h"

#include "drill_text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
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

    // Reading stops as soon as the lines wanted are complete: the rest is never used.
    QByteArray bytes;
    constexpr qsizetype PieceSize = 64 * 1024;
    bytes.reserve(static_cast<qsizetype>(std::min<qint64>(info.st_size, MaxFileSize)) + PieceSize);
    LineEndCounter lineEnds;
    std::optional<bool> countLineEnds;
    for (;;) {
        const qsizetype before = bytes.size();
        bytes.resize(before + PieceSize);
        const ssize_t count = ::read(fd.get(), bytes.data() + before, PieceSize);
        const int readError = errno;
        bytes.resize(before + std::max<qsizetype>(count, 0));
        if (count == 0)
            break;
        if (count < 0) {
            if (readError == EINTR)
                continue;
            return failure(path, systemError(readError));
        }
        // The file may grow while it is read; the limit holds all the same.
        if (bytes.size() > MaxFileSize)
            return failure(path, QStringLiteral("it grew past the size limit while being read"));
        if (!countLineEnds)
            countLineEnds = hasByteLineEnds(bytes);
        if (*countLineEnds) {
            lineEnds.feed(QByteArrayView(bytes).sliced(before));
            if (lineEnds.count() >= maxLines)
                break;
        }
    }
    return { decodeDrillLines(bytes, maxLines), {} };
}
