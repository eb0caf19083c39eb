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
        QTest::newRow("small window") << qint64(900) << qint64(500) << qint64(891) << qint64(100);
        QTest::newRow("fractions cut off")
            << qint64(1001) << qint64(1004) << qint64(990) << qint64(200);
        QTest::newRow("no height") << qint64(900) << qint64(0) << qint64(891) << qint64(0);
        // 3840 x 2160 pixels at 96 dpi; W is far past what 16 bits hold.
        QTest::newRow("4K") << qint64(57600) << qint64(32400) << qint64(57024) << qint64(6480);
        QTest::newRow("8K at 96 dpi")
            << qint64(115200) << qint64(64800) << qint64(114048) << qint64(12960);
    }

    void unitsAreWholeFractionsOfTheClientArea()
    {
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        const WindowLayout layout = layoutWindow(width, height);
        QTEST(layout.W, "W");
        QTEST(layout.H, "H");
    }

    void boxesFollowTheUnits()
    {
        const WindowLayout layout = layoutWindow(900, 500);
        QCOMPARE(layout.txtHyoji.width, 882.09);
        QCOMPARE(layout.txtHyoji.left, 8.91);
        QCOMPARE(layout.txtHyoji.height, 380.0);
        QCOMPARE(layout.txtHyoji.top, 10.0);
        QCOMPARE(layout.lblSeiseki.top, 430.0);
        QCOMPARE(layout.lblSeiseki.width, 0.45 * 891);
        QCOMPARE(layout.lblFontSize.height, 30.0);

        const WindowLayout flat = layoutWindow(900, 0);
        for (const TwipBox& box :
            { flat.lblCount, flat.lblTime, flat.lblSeiseki, flat.txtHyoji, flat.lblFontSize }) {
            QCOMPARE(box.height, 0.0);
            QCOMPARE(box.top, 0.0);
        }
    }

    void anUltraHdScreenFitsItsPixels()
    {
        // 3840 x 2160 at 96 dpi: the display box spans the width less its margins.
        const WindowLayout layout = layoutWindow(pixelsToTwips(3840, 96), pixelsToTwips(2160, 96));
        const QRect display = twipsToPixels(layout.txtHyoji, 96, 96);
        QCOMPARE(display, QRect(38, 43, 3764, 1642));
        QVERIFY(display.right() < 3840 && display.bottom() < 2160);
        const QRect rate = twipsToPixels(layout.lblSeiseki, 96, 96);
        QVERIFY(rate.bottom() < 2160);
    }
};

QTEST_APPLESS_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
