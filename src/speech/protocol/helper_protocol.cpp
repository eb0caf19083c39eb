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

} // namespace HelperProtocol
