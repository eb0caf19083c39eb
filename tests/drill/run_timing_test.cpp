#include "run_timing.h"

#include <QTest>
#include <QTime>

class TestRunTiming : public QObject {
    Q_OBJECT

private slots:
    void rate_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("rate");
        QTest::newRow("30 lines in 45 s") << 30 << 45 << 40;
        QTest::newRow("61 lines in 1' 30\"") << 61 << 90 << 41;
        QTest::newRow("exactly 40.5 goes down to even") << 27 << 40 << 40;
        QTest::newRow("exactly 41.5 goes up to even") << 83 << 120 << 42;
        QTest::newRow("no lines") << 0 << 5 << 0;
        QTest::newRow("full store in one second") << 3001 << 1 << 180060;
    }
    void rate()
    {
        QFETCH(int, lines);
        QFETCH(int, seconds);
        QTEST(linesPerMinute(lines, seconds), "rate");
    }

    // The time from the first line to the finish, and its caption in minutes and seconds.
    void elapsed_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("caption");
        QTest::newRow("none") << QTime(9, 0) << QTime(9, 0) << 0 << "0' 0\"";
        QTest::newRow("no leading zeros") << QTime(9, 0) << QTime(9, 2, 5) << 125 << "2' 5\"";
        QTest::newRow("an hour or more stays in minutes")
            << QTime(9, 0, 0) << QTime(10, 15, 3) << 4503 << "75' 3\"";
        QTest::newRow("across midnight") << QTime(23, 59, 30) << QTime(0, 0, 15) << 45 << "0' 45\"";
    }
    void elapsed()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        QFETCH(int, seconds);
        QCOMPARE(elapsedSeconds(start, end), seconds);
        QTEST(elapsedCaption(seconds), "caption");
    }
};

QTEST_GUILESS_MAIN(TestRunTiming)
#include "run_timing_test.moc"
