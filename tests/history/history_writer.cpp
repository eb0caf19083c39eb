// Records runs into a history file one by one, printing "committed N" after each commit, for
// the tests that kill it part-way or run two at once.
// Usage: history_writer FILE RUNS
#include "history_fixture.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    HistoryStore store(arguments.at(1));
    if (store.open() != HistoryStore::State::Writable)
        return 1;
    const int runs = arguments.at(2).toInt();
    for (int n = 1; n <= runs; ++n) {
        if (!store.record(sampleRun(QStringLiteral("/drills/words.txt"), 5, n)))
            return 1;
        std::printf("committed %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}
