#include "speech_log.h"

// Details (QT_LOGGING_RULES="kelvaro.speech.debug=true") only when asked for.
Q_LOGGING_CATEGORY(lcSpeech, "kelvaro.speech", QtInfoMsg)
