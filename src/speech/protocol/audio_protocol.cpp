#include "audio_protocol.h"

#include <algorithm>
#include <cmath>

namespace AudioProtocol {

using Protocol::FrameKind;

QByteArray encodeUtterance(const Pcm& pcm)
{
    return Protocol::encode(FrameKind::Begin, std::uint32_t(pcm.sampleRate)) + encodeSamples(pcm)
        + Protocol::encode(FrameKind::End, 0);
}

QByteArray encodeSamples(const Pcm& pcm)
{
    QByteArray bytes;
    for (qsizetype start = 0; start < pcm.samples.size(); start += Protocol::MaxSamplesPerFrame) {
        const qsizetype count
            = std::min<qsizetype>(Protocol::MaxSamplesPerFrame, pcm.samples.size() - start);
        bytes.append(Protocol::encode(FrameKind::Samples, std::uint32_t(count),
            QByteArray(reinterpret_cast<const char*>(pcm.samples.constData() + start),
                count * qsizetype(sizeof(qint16)))));
    }
    return bytes;
}

QByteArray encodeStop()
{
    return Protocol::encode(FrameKind::Stop, 0);
}

QByteArray encodeVolume(double gain)
{
    return Protocol::encode(
        FrameKind::Volume, std::uint32_t(std::lround(std::clamp(gain, 0.0, 1.0) * 1000)));
}

double gainOf(std::uint32_t thousandths)
{
    return std::min<std::uint32_t>(thousandths, 1000) / 1000.0;
}

} // namespace AudioProtocol
