#pragma once

#include <QList>

// The figures the Progress window draws, from rates oldest first.

// The mean of each rate with up to `window - 1` rates before it.
QList<double> movingMean(const QList<int>& rates, int window = 5);
// The index of the highest rate (the latest of equals), -1 for none.
int bestIndex(const QList<int>& rates);
