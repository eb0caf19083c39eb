#pragma once

#include "english_voice.h"
#include "frame.h"
#include "speech_pace.h"

#include <QtGlobal>

#include <cstdint>

// How the program and its speech helper talk over one stream socket, in frames (frame.h)
// and the machine's own byte order (both ends are built together). The helper sends one Ready frame
// when it has set itself up, followed by that many bytes of UTF-8 warnings (one a line) about
// missing voices or dictionaries; then for each request (a RequestHeader with the voice, the pace
// and the length of the UTF-8 text that follows) it answers Begin (the sample rate), any number of
// Samples frames (that many 16-bit samples follow) and one End.
namespace HelperProtocol {

struct RequestHeader {
    std::uint32_t voice = 0;
    std::uint32_t textBytes = 0;
    std::uint32_t pace = 1;
};

using Protocol::FrameHeader;
using Protocol::FrameKind;

// The helper speaks at most this many characters of a line (about four minutes of speech).
inline constexpr qsizetype MaxTextCharacters = 4000;
// Longer requests or warnings are refused.
using Protocol::MaxSamplesPerFrame;
using Protocol::MaxTextBytes;

std::uint32_t voiceCode(EnglishVoice voice);
// Unknown codes read as the default voice.
EnglishVoice voiceFromCode(std::uint32_t code);
std::uint32_t paceCode(SpeechPace pace);
// Unknown codes read as the normal pace.
SpeechPace paceFromCode(std::uint32_t code);

} // namespace HelperProtocol
