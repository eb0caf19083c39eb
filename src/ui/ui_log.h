#pragma once

#include <QLoggingCategory>

// Failures of the window's commands that their guards swallow or the learner is not shown.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
