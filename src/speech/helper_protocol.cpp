#include "helper_protocol.h"

namespace HelperProtocol {

std::uint32_t voiceCode(EnglishVoice voice)
{
    return static_cast<std::uint32_t>(voice);
}

EnglishVoice voiceFromCode(std::uint32_t code)
{
    switch (code) {
    case static_cast<std::uint32_t>(EnglishVoice::Female):
        return EnglishVoice::Female;
    case static_cast<std::uint32_t>(EnglishVoice::Espeak):
        return EnglishVoice::Espeak;
    default:
        return EnglishVoice::Male;
    }
}

std::uint32_t paceCode(SpeechPace pace)
{
    return static_cast<std::uint32_t>(pace);
}

SpeechPace paceFromCode(std::uint32_t code)
{
    switch (code) {
    case static_cast<std::uint32_t>(SpeechPace::Slower):
        return SpeechPace::Slower;
    case static_cast<std::uint32_t>(SpeechPace::Faster):
        return SpeechPace::Faster;
    default:
        return SpeechPace::Normal;
    }
}

} // namespace HelperProtocol
