#pragma once

#include "program_exit.h"

class BackgroundAudioOutput;

// Silences the speech and leaves the process with exit code 0 at once, waiting on nothing (the
// sound server may hang) and skipping the clean-up of Qt and the audio library (which can
// crash at the very end of a process).
class ImmediateExit : public ProgramExit {
public:
    explicit ImmediateExit(BackgroundAudioOutput& audio)
        : m_audio(audio)
    {
    }
    [[noreturn]] void exitNow() override;

private:
    BackgroundAudioOutput& m_audio;
};
