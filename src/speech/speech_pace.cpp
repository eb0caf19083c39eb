#include "speech_pace.h"

#include <array>

namespace {

struct NamedPace {
    SpeechPace pace;
    QStringView name;
    double rate;
};

constexpr std::array<NamedPace, 3> Paces = { {
    { SpeechPace::Slower, u"slower", 0.75 },
    { SpeechPace::Normal, u"normal", 1.0 },
    { SpeechPace::Faster, u"faster", 1.3 },
} };

} // namespace

QString speechPaceName(SpeechPace pace)
{
    for (const NamedPace& named : Paces) {
        if (named.pace == pace)
            return named.name.toString();
    }
    return {};
}

std::optional<SpeechPace> speechPaceNamed(QStringView name)
{
    for (const NamedPace& named : Paces) {
        if (named.name.compare(name, Qt::CaseInsensitive) == 0)
            return named.pace;
    }
    return std::nullopt;
}

double speechPaceRate(SpeechPace pace)
{
    for (const NamedPace& named : Paces) {
        if (named.pace == pace)
            return named.rate;
    }
    return 1.0;
}
