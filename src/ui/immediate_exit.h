#pragma once

#include "program_exit.h"

class SinkAudioOutput;

// Silences the speech and leaves the process with exit code 0 at once, skipping the
// clean-up of Qt and the audio library (which can crash at the very end of a process).
class ImmediateExit : public ProgramExit {
public:
    explicit ImmediateExit(SinkAudioOutput& audio)
        : m_audio(audio)
    {
    }
    [[noreturn]] void exitNow() override;

private:
    SinkAudioOutput& m_audio;
};
