#include "progress_figures.h"

QList<double> movingMean(const QList<int>& rates, int window)
{
    QList<double> means;
    means.reserve(rates.size());
    qint64 sum = 0;
    for (qsizetype i = 0; i < rates.size(); ++i) {
        sum += rates.at(i);
        if (i >= window)
            sum -= rates.at(i - window);
        const qsizetype count = i + 1 < window ? i + 1 : window;
        means.append(double(sum) / double(count));
    }
    return means;
}

int bestIndex(const QList<int>& rates)
{
    int best = -1;
    for (qsizetype i = 0; i < rates.size(); ++i) {
        if (best < 0 || rates.at(i) >= rates.at(best))
            best = int(i);
    }
    return best;
}
