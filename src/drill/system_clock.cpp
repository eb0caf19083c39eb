#include "system_clock.h"

SystemClock::SystemClock()
{
    m_steady.start();
}

QTime SystemClock::timeOfDay() const
{
    const QTime now = QTime::currentTime();
    return QTime(now.hour(), now.minute(), now.second());
}

qint64 SystemClock::steadyMs() const
{
    return m_steady.elapsed();
}

QDateTime SystemClock::localDateTime() const
{
    return QDateTime::currentDateTime();
}
