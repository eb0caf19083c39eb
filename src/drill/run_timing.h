#pragma once

#include <QString>

class QTime;

// Seconds from start to end as times of day; a run that crosses midnight is counted
// forward, never negative.
int elapsedSeconds(const QTime& start, const QTime& end);

// The time caption: whole minutes (an hour or more stays in minutes), an apostrophe, a
// space, the seconds and a double-quote mark, e.g. 2' 5".
QString elapsedCaption(int seconds);

// Lines per minute for lines read in seconds (seconds > 0), rounded half to even.
int linesPerMinute(int lines, int seconds);
