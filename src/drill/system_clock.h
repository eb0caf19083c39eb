#pragma once

#include "clock.h"

#include <QElapsedTimer>

class SystemClock : public Clock {
public:
    SystemClock();
    QTime timeOfDay() const override;
    qint64 steadyMs() const override;
    QDateTime localDateTime() const override;

private:
    QElapsedTimer m_steady;
};
