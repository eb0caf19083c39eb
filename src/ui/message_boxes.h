#pragma once

#include "error_reporter.h"

class QString;

// Modal message boxes: errors (through ErrorReporter) and plain information.
class MessageBoxes : public ErrorReporter {
public:
    virtual void showInformation(const QString& title, const QString& text) = 0;
};
