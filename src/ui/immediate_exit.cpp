#include "immediate_exit.h"

#include "background_audio_output.h"

#include <cstdio>
#include <cstdlib>

void ImmediateExit::exitNow()
{
    m_audio.silenceForExit();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}
