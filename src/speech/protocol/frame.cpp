#include "frame.h"

#include <cstring>

namespace Protocol {

std::optional<std::uint32_t> payloadBytes(const FrameHeader& header)
{
    switch (header.kind) {
    case FrameKind::Samples:
        if (header.value > MaxSamplesPerFrame)
            return std::nullopt;
        return header.value * std::uint32_t(sizeof(std::int16_t));
    case FrameKind::Ready:
    case FrameKind::Trouble:
    case FrameKind::Note:
        if (header.value > MaxTextBytes)
            return std::nullopt;
        return header.value;
    case FrameKind::Begin:
    case FrameKind::End:
    case FrameKind::Stop:
    case FrameKind::Volume:
    case FrameKind::Taken:
    case FrameKind::Drained:
    case FrameKind::Played:
    case FrameKind::Underflows:
        return 0;
    }
    return std::nullopt;
}

QByteArray encode(FrameKind kind, std::uint32_t value, const QByteArray& payload)
{
    const FrameHeader header { kind, value };
    QByteArray bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(payload);
    return bytes;
}

std::optional<Frame> FrameReader::next()
{
    if (m_broken || m_bytes.size() - m_at < qsizetype(sizeof(FrameHeader)))
        return std::nullopt;
    Frame frame;
    std::memcpy(&frame.header, m_bytes.constData() + m_at, sizeof frame.header);
    const std::optional<std::uint32_t> size = payloadBytes(frame.header);
    if (!size) {
        m_broken = true;
        return std::nullopt;
    }
    const qsizetype whole = qsizetype(sizeof(FrameHeader)) + qsizetype(*size);
    if (m_bytes.size() - m_at < whole)
        return std::nullopt;
    frame.payload = m_bytes.mid(m_at + qsizetype(sizeof(FrameHeader)), qsizetype(*size));
    m_at += whole;
    // Dropped from the front now and then, not after every frame, so a burst of small
    // frames costs no quadratic copying.
    if (m_at == m_bytes.size() || m_at > (1 << 20)) {
        m_bytes.remove(0, m_at);
        m_at = 0;
    }
    return frame;
}

} // namespace Protocol
