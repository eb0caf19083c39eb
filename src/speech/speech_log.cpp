#include "speech_log.h"

Q_LOGGING_CATEGORY(lcSpeech, "kelvaro.speech")
