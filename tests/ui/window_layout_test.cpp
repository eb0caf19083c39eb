#include "window_layout.h"

#include <QTest>

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void displayBoxFollowsTheClientArea_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRectF>("display"); // left, top, width, height in twips
        QTest::newRow("900 x 500") << 900 << 500 << QRectF(8.91, 10, 882.09, 380);
        // 3840 x 2160 pixels at 96 dpi, far past what 16-bit units hold.
        QTest::newRow("4K screen") << 57600 << 32400 << QRectF(570.24, 648, 56453.76, 24624);
    }

    void displayBoxFollowsTheClientArea()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const TwipBox box = layoutWindow(width, height).txtHyoji;
        QTEST(QRectF(box.left, box.top, box.width, box.height), "display");
    }

    void displayBoxInPixelsOnA4kScreen()
    {
        const WindowLayout uhd = layoutWindow(pixelsToTwips(3840, 96), pixelsToTwips(2160, 96));
        QCOMPARE(twipsToPixels(uhd.txtHyoji, 96, 96), QRect(38, 43, 3764, 1642));
    }
};

QTEST_APPLESS_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
