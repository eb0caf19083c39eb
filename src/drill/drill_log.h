#pragma once

#include <QLoggingCategory>

// Failures of the drill that the learner is not shown but that must not vanish.
Q_DECLARE_LOGGING_CATEGORY(lcDrill)
