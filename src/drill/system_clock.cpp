#include "system_clock.h"

QTime SystemClock::timeOfDay() const
{
    const QTime now = QTime::currentTime();
    return QTime(now.hour(), now.minute(), now.second());
}
