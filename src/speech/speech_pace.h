#pragma once

#include <QString>

#include <optional>

// How fast the voice speaks. It changes what is heard, never the timing of the drill.
enum class SpeechPace { Slower, Normal, Faster };

inline constexpr SpeechPace DefaultSpeechPace = SpeechPace::Normal;

// The stable names used on the command line and in records of a run: "slower", "normal" and
// "faster".
QString speechPaceName(SpeechPace pace);
std::optional<SpeechPace> speechPaceNamed(QStringView name);

// The speaking rate against the voice's own: about three quarters, one, and 1.3.
double speechPaceRate(SpeechPace pace);
