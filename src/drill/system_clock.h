#pragma once

#include "clock.h"

class SystemClock : public Clock {
public:
    QTime timeOfDay() const override;
};
