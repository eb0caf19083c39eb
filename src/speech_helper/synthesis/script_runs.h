#pragma once

#include <QList>
#include <QString>

// A stretch of a line in one writing system, spoken by one voice.
struct ScriptRun {
    enum class Script { Latin, Japanese };
    Script script = Script::Latin;
    QString text;

    friend bool operator==(const ScriptRun&, const ScriptRun&) = default;
};

// Splits a line into runs of Japanese (kana and kanji) and of everything else, in order.
// Digits, spaces and punctuation belong to no script: they go with the run they stand in.
// Between two runs, punctuation up to the first space stays with the run before, and the
// rest (the space, and digits such as the "3" of "3時") goes with the run after.
QList<ScriptRun> scriptRuns(const QString& line);

bool isJapaneseCharacter(char32_t character);
