#pragma once

#include <QLoggingCategory>

// Failures of the speech engines and the audio output: the drill goes on without them.
Q_DECLARE_LOGGING_CATEGORY(lcSpeech)
