#include "helper_channel.h"

#include <cerrno>
#include <unistd.h>

namespace {

bool readExactly(void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(STDIN_FILENO, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= std::size_t(got);
    }
    return true;
}

bool writeAll(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(STDOUT_FILENO, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= std::size_t(put);
    }
    return true;
}

} // namespace

std::optional<HelperChannel::Request> HelperChannel::nextRequest()
{
    HelperProtocol::RequestHeader header;
    if (!readExactly(&header, sizeof header) || header.textBytes > HelperProtocol::MaxTextBytes)
        return std::nullopt;
    QByteArray utf8(qsizetype(header.textBytes), Qt::Uninitialized);
    if (!readExactly(utf8.data(), std::size_t(utf8.size())))
        return std::nullopt;
    return Request { HelperProtocol::voiceFromCode(header.voice),
        HelperProtocol::paceFromCode(header.pace), QString::fromUtf8(utf8) };
}

bool HelperChannel::sendReady(const QByteArray& warnings)
{
    const QByteArray bounded = warnings.left(HelperProtocol::MaxTextBytes);
    return sendFrame(HelperProtocol::FrameKind::Ready, std::uint32_t(bounded.size()),
        bounded.constData(), std::size_t(bounded.size()));
}

bool HelperChannel::sendBegin(int sampleRate)
{
    return sendFrame(HelperProtocol::FrameKind::Begin, std::uint32_t(sampleRate), nullptr, 0);
}

bool HelperChannel::sendSamples(const QList<qint16>& samples)
{
    for (qsizetype start = 0; start < samples.size(); start += HelperProtocol::MaxSamplesPerFrame) {
        const qsizetype count
            = qMin<qsizetype>(HelperProtocol::MaxSamplesPerFrame, samples.size() - start);
        if (!sendFrame(HelperProtocol::FrameKind::Samples, std::uint32_t(count),
                samples.constData() + start, std::size_t(count) * sizeof(qint16)))
            return false;
    }
    return true;
}

bool HelperChannel::sendEnd()
{
    return sendFrame(HelperProtocol::FrameKind::End, 0, nullptr, 0);
}

bool HelperChannel::sendFrame(
    HelperProtocol::FrameKind kind, std::uint32_t value, const void* data, std::size_t bytes)
{
    const HelperProtocol::FrameHeader header { kind, value };
    return writeAll(&header, sizeof header) && (bytes == 0 || writeAll(data, bytes));
}
