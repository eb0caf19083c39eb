#pragma once

#include "english_voice.h"
#include "speech_pace.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the program is asked to do by its command line: kelvaro [--voice NAME] [--pace PACE]
// [--no-history]
// [FILE], or
// print help, the version or an error and end without a window.
struct CommandLine {
    enum class Action { Run, Exit };

    // Exit status of a command line the program cannot follow.
    static constexpr int UsageError = 2;

    Action action = Action::Run;
    // For Run: the drill file opened at start (empty: start with the greeting) and the
    // English voice and the pace chosen (none: the default).
    QString file;
    std::optional<EnglishVoice> voice;
    std::optional<SpeechPace> pace;
    // Runs are neither read from nor written to the history file.
    bool noHistory = false;
    // For Exit: what is printed, on standard error or standard output, and the exit status.
    QString output;
    bool toStandardError = false;
    int exitStatus = 0;

    // The arguments as the program received them, the program's own path first. Qt's own
    // options (-platform, -style, ...) are accepted and left to the application object.
    static CommandLine parse(const QStringList& arguments);
};
