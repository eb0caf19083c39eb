#pragma once

#include <QString>

// What the drill shows, made easy to speak: the screen keeps the original. Compatibility
// forms (full-width letters, half-width kana) become their plain forms, "[R]" reads "R",
// "words/min" reads "words per minute" and CamelCase reads as separate words.
QString spokenText(const QString& shown);
