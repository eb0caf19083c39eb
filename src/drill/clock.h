#pragma once

#include <QTime>

// Time of day to the whole second.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QTime timeOfDay() const = 0;
};
