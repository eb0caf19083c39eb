#include "drill_log.h"

Q_LOGGING_CATEGORY(lcDrill, "kelvaro.drill")
