#include "run_timing.h"

#include <QTime>

namespace {
constexpr int SecondsPerDay = 24 * 60 * 60;
}

int elapsedSeconds(const QTime& start, const QTime& end)
{
    const int seconds = start.secsTo(end);
    return seconds < 0 ? seconds + SecondsPerDay : seconds;
}

QString elapsedCaption(int seconds)
{
    return QString::number(seconds / 60) + QStringLiteral("' ") + QString::number(seconds % 60)
        + u'"';
}

int linesPerMinute(int lines, int seconds)
{
    // Integer arithmetic keeps the halfway cases exact: 40.5 must round to 40, 41.5 to 42.
    const qint64 numerator = qint64(lines) * 60;
    const qint64 quotient = numerator / seconds;
    const qint64 twiceRemainder = 2 * (numerator % seconds);
    const bool roundUp = twiceRemainder > seconds || (twiceRemainder == seconds && quotient % 2);
    return int(quotient + (roundUp ? 1 : 0));
}
