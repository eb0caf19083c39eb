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
        QTest::newRow("exactly 40.5 rounds down to even") << 27 << 40 << 40;
        QTest::newRow("exactly 41.5 rounds up to even") << 83 << 120 << 42;
        QTest::newRow("just under a half rounds down") << 1 << 7 << 9; // 8.571
        QTest::newRow("no lines") << 0 << 5 << 0;
        QTest::newRow("full store in one second") << 3001 << 1 << 180060;
        QTest::newRow("an hour and a quarter") << 3001 << 4503 << 40; // 39.99
    }
    void rate()
    {
        QFETCH(int, lines);
        QFETCH(int, seconds);
        QFETCH(int, rate);
        QCOMPARE(linesPerMinute(lines, seconds), rate);
    }

    void caption_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("caption");
        QTest::newRow("zero") << 0 << QStringLiteral("0' 0\"");
        QTest::newRow("seconds only") << 45 << QStringLiteral("0' 45\"");
        QTest::newRow("no leading zeros") << 125 << QStringLiteral("2' 5\"");
        QTest::newRow("an hour or more stays in minutes") << 4503 << QStringLiteral("75' 3\"");
    }
    void caption()
    {
        QFETCH(int, seconds);
        QFETCH(QString, caption);
        QCOMPARE(elapsedCaption(seconds), caption);
    }

    void elapsed_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::addColumn<int>("seconds");
        QTest::newRow("same second") << QTime(9, 0, 0) << QTime(9, 0, 0) << 0;
        QTest::newRow("within the day") << QTime(9, 0, 0) << QTime(10, 15, 3) << 4503;
        QTest::newRow("across midnight") << QTime(23, 59, 30) << QTime(0, 0, 15) << 45;
        QTest::newRow("just short of a day") << QTime(0, 0, 1) << QTime(0, 0, 0) << 86399;
    }
    void elapsed()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        QFETCH(int, seconds);
        QCOMPARE(elapsedSeconds(start, end), seconds);
    }
};

QTEST_GUILESS_MAIN(TestRunTiming)
#include "run_timing_test.moc"
