#include "english_voice.h"

#include <array>

namespace {

struct NamedVoice {
    EnglishVoice voice;
    QStringView name;
};

constexpr std::array<NamedVoice, 3> Names = { {
    { EnglishVoice::Male, u"male" },
    { EnglishVoice::Female, u"female" },
    { EnglishVoice::Espeak, u"espeak-ng" },
} };

} // namespace

QString englishVoiceName(EnglishVoice voice)
{
    for (const NamedVoice& named : Names) {
        if (named.voice == voice)
            return named.name.toString();
    }
    return {};
}

std::optional<EnglishVoice> englishVoiceNamed(QStringView name)
{
    for (const NamedVoice& named : Names) {
        if (named.name.compare(name, Qt::CaseInsensitive) == 0)
            return named.voice;
    }
    return std::nullopt;
}
