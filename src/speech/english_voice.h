#pragma once

#include <QString>

#include <optional>

// The voice that speaks text in Latin script. Japanese is read by a voice of its own.
enum class EnglishVoice { Male, Female, Espeak };

inline constexpr EnglishVoice DefaultEnglishVoice = EnglishVoice::Male;

// The names a learner gives on the command line: "male", "female" and "espeak-ng".
QString englishVoiceName(EnglishVoice voice);
std::optional<EnglishVoice> englishVoiceNamed(QStringView name);
