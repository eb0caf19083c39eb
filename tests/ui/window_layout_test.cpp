#include "window_layout.h"

#include <QTest>

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void unitsAreWholeFractionsOfTheClientArea_data()
    {
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<qint64>("W");
        QTest::addColumn<qint64>("H");
        QTest::newRow("small") << qint64(900) << qint64(500) << qint64(891) << qint64(100);
        QTest::newRow("fractions cut")
            << qint64(1001) << qint64(1004) << qint64(990) << qint64(200);
        QTest::newRow("no height") << qint64(900) << qint64(0) << qint64(891) << qint64(0);
        // 3840 x 2160 and 7680 x 4320 pixels at 96 dpi: W is far past 16 bits.
        QTest::newRow("4K") << qint64(57600) << qint64(32400) << qint64(57024) << qint64(6480);
        QTest::newRow("8K") << qint64(115200) << qint64(64800) << qint64(114048) << qint64(12960);
    }

    void unitsAreWholeFractionsOfTheClientArea()
    {
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        const WindowLayout layout = layoutWindow(width, height);
        QTEST(layout.W, "W");
        QTEST(layout.H, "H");
        QCOMPARE(layout.txtHyoji.height, 3.8 * layout.H);
        QCOMPARE(layout.lblSeiseki.top, 4.3 * layout.H);
        QCOMPARE(layout.lblTime.left, 0.51 * layout.W);
    }

    void boxesInTwipsAndPixels()
    {
        const WindowLayout layout = layoutWindow(900, 500);
        QCOMPARE(layout.txtHyoji.width, 882.09);
        QCOMPARE(layout.txtHyoji.left, 8.91);
        QCOMPARE(layout.txtHyoji.height, 380.0);
        QCOMPARE(layout.txtHyoji.top, 10.0);
        // On a 3840 x 2160 screen at 96 dpi everything stays on the screen.
        const WindowLayout uhd = layoutWindow(pixelsToTwips(3840, 96), pixelsToTwips(2160, 96));
        QCOMPARE(twipsToPixels(uhd.txtHyoji, 96, 96), QRect(38, 43, 3764, 1642));
        QVERIFY(twipsToPixels(uhd.lblSeiseki, 96, 96).bottom() < 2160);
    }
};

QTEST_APPLESS_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
