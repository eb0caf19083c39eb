#pragma once

#include <QDateTime>
#include <QTime>

// Time of day to the whole second, as the run's captions use it; the history of runs also
// needs a steady count of milliseconds for the time each line stays on screen, and the date
// with its UTC offset. A clock that only knows the time of day keeps working: the other two
// follow from it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QTime timeOfDay() const = 0;
    // Milliseconds from any fixed point; never goes backwards.
    virtual qint64 steadyMs() const { return timeOfDay().msecsSinceStartOfDay(); }
    // The local date and time with its offset from UTC.
    virtual QDateTime localDateTime() const { return QDateTime(QDate::currentDate(), timeOfDay()); }
};
