#pragma once

class QString;

// Tells the learner that something could not be done; the program keeps running.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void reportError(const QString& title, const QString& message) = 0;
};
