#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// The one frame format both helpers speak with the program over their socket, in the
// machine's own byte order (all ends are built together): a FrameHeader, then a payload
// whose size follows from the kind and the value (payloadBytes). The speech helper's
// requests are the only other thing on a wire (see helper_protocol.h).
namespace Protocol {

enum class FrameKind : std::uint32_t {
    // Speech helper to program: set up, with that many bytes of UTF-8 warnings.
    Ready = 1,
    // Audio of one utterance, from the speech helper to the program and from the program to
    // the audio helper: Begin (value: sample rate), Samples (that many 16-bit samples
    // follow), End.
    Begin = 2,
    Samples = 3,
    End = 4,
    // Program to audio helper: silence at once and drop everything sent so far; the gain.
    Stop = 5,
    Volume = 6, // value: gain in thousandths
    // Audio helper to program.
    Taken = 7, // the value-th utterance since the helper started has been read whole
    Drained = 8, // every utterance up to the value-th has been played, or dropped
    Played = 9, // an utterance was heard to its end
    Trouble = 10, // that many bytes of UTF-8: why sound cannot be heard now
    Underflows = 11, // the server ran out of audio inside an utterance this often so far
    Note = 12, // that many bytes of UTF-8: what the sound library or the helper noted, no failure
};

struct FrameHeader {
    FrameKind kind = FrameKind::End;
    std::uint32_t value = 0;
};

// A Samples frame never carries more than this, so a reader's buffer stays small.
inline constexpr std::uint32_t MaxSamplesPerFrame = 1 << 16;
// Longer texts (warnings, troubles) are refused.
inline constexpr std::uint32_t MaxTextBytes = 1 << 16;

// How many payload bytes follow the header; nullopt for a frame no end ever sends.
std::optional<std::uint32_t> payloadBytes(const FrameHeader& header);

QByteArray encode(FrameKind kind, std::uint32_t value, const QByteArray& payload = {});

struct Frame {
    FrameHeader header;
    QByteArray payload;
};

// Cuts whole frames off the front of bytes that arrive in pieces of any size.
class FrameReader {
public:
    void append(const char* data, qsizetype size) { m_bytes.append(data, size); }
    // The next whole frame, or nullopt when more bytes are needed or the stream is broken.
    std::optional<Frame> next();
    // Something arrived that no end sends: nothing after it can be trusted.
    bool isBroken() const { return m_broken; }
    // A frame arrived that this end never expects.
    void breakOff() { m_broken = true; }

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
    bool m_broken = false;
};

} // namespace Protocol
