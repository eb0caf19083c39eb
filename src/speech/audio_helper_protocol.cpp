#include "audio_helper_protocol.h"

#include <QtEndian>

#include <algorithm>

#include <cmath>
#include <cstring>

namespace AudioHelperProtocol {

namespace {

// A kind byte and two 32-bit numbers: for Play the sample rate and the sample count, for
// Volume the gain in thousandths.
constexpr qsizetype kHeaderSize = 9;
// Longer than any utterance an engine gives (they cut at a few minutes).
constexpr quint32 kMaxSamples = 48000u * 60 * 10;

QByteArray header(char kind, quint32 first, quint32 second)
{
    QByteArray bytes(kHeaderSize, '\0');
    bytes[0] = kind;
    qToLittleEndian(first, bytes.data() + 1);
    qToLittleEndian(second, bytes.data() + 5);
    return bytes;
}

} // namespace

QByteArray encodePlay(const Pcm& pcm)
{
    QByteArray bytes = header(Command::Play, quint32(pcm.sampleRate), quint32(pcm.samples.size()));
    for (const qint16 sample : pcm.samples) {
        char le[2];
        qToLittleEndian(sample, le);
        bytes.append(le, 2);
    }
    return bytes;
}

QByteArray encodeStop()
{
    return header(Command::Stop, 0, 0);
}

QByteArray encodeVolume(double gain)
{
    return header(Command::Volume, quint32(std::lround(std::clamp(gain, 0.0, 1.0) * 1000)), 0);
}

std::optional<std::deque<Command>> decode(QByteArray& bytes)
{
    std::deque<Command> commands;
    qsizetype at = 0;
    while (bytes.size() - at >= kHeaderSize) {
        const char* head = bytes.constData() + at;
        const quint32 first = qFromLittleEndian<quint32>(head + 1);
        const quint32 second = qFromLittleEndian<quint32>(head + 5);
        Command command;
        switch (head[0]) {
        case Command::Stop:
            command.kind = Command::Stop;
            at += kHeaderSize;
            break;
        case Command::Volume:
            command.kind = Command::Volume;
            command.gain = std::min(first, 1000u) / 1000.0;
            at += kHeaderSize;
            break;
        case Command::Play: {
            if (first == 0 || first > 384000 || second > kMaxSamples)
                return std::nullopt;
            const qsizetype size = kHeaderSize + qsizetype(second) * 2;
            if (bytes.size() - at < size) {
                bytes.remove(0, at);
                return commands;
            }
            command.kind = Command::Play;
            command.pcm.sampleRate = int(first);
            command.pcm.samples.resize(second);
            for (quint32 i = 0; i < second; ++i)
                command.pcm.samples[i] = qFromLittleEndian<qint16>(head + kHeaderSize + 2 * i);
            at += size;
            break;
        }
        default:
            return std::nullopt;
        }
        commands.push_back(std::move(command));
    }
    bytes.remove(0, at);
    return commands;
}

} // namespace AudioHelperProtocol
