#include "window_fonts.h"
#include "window_layout.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The captions of a finished run after a reset: every caption at once, at its widest.
CaptionsMetrics everyCaption()
{
    return {
        captionMetrics(proportionalFont(50.25), u"count 3001"_s, u"count 3001"_s, nullptr),
        captionMetrics(fixedPitchFont(50.25), u"99' 59\""_s, u"99' 59\""_s, nullptr),
        captionMetrics(proportionalFont(50.25), u"9999 words/min"_s, u"9999 words/min"_s, nullptr),
        captionMetrics(proportionalFont(20.25), u"FontSize 100"_s, u"FontSize 100"_s, nullptr),
    };
}

// A box's place as a share of the client area: left, top, width, height.
QRectF share(const QRectF& box, const QSize& client)
{
    return QRectF(box.left() / client.width(), box.top() / client.height(),
        box.width() / client.width(), box.height() / client.height());
}

} // namespace

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

    // The client areas of the common screens at 100, 150 and 200 % scaling, below a menu bar.
    void captionsFitEveryScreen_data()
    {
        QTest::addColumn<QSize>("client");
        for (const QSize screen :
            { QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160) }) {
            for (const double scale : { 1.0, 1.5, 2.0 }) {
                QTest::addRow("%dx%d at %d %%", screen.width(), screen.height(), int(scale * 100))
                    << (QSizeF(screen) / scale - QSizeF(0, 24)).toSize();
            }
        }
    }

    void captionsFitEveryScreen()
    {
        QFETCH(QSize, client);
        const ScreenLayout layout = layoutScreen(client, 96, 96, everyCaption());
        const QRectF area(QPointF(0, 0), QSizeF(client));
        const struct {
            const char* name;
            PlacedCaption caption;
            QRectF at; // left and top as a share of the client area, give or take 2 %
        } captions[] = {
            { "count", layout.lblCount, QRectF(0.099, 0.78, 0, 0) },
            { "time", layout.lblTime, QRectF(0.505, 0.78, 0, 0) },
            { "rate", layout.lblSeiseki, QRectF(0.505, 0.86, 0, 0) },
            { "font size", layout.lblFontSize, QRectF(0.099, 0.90, 0, 0) },
        };
        const QRectF display = layout.txtHyoji;
        QVERIFY(area.contains(display));
        const QRectF displayShare = share(display, client);
        QVERIFY(qAbs(displayShare.left() - 0.0099) < 0.005);
        QVERIFY(qAbs(displayShare.top() - 0.02) < 0.005);
        QVERIFY(qAbs(displayShare.width() - 0.98) < 0.005);
        QVERIFY(qAbs(displayShare.height() - 0.76) < 0.005);
        for (const auto& a : captions) {
            const QRectF at = share(a.caption.box, client);
            QVERIFY2(
                qAbs(at.left() - a.at.left()) < 0.02 && qAbs(at.top() - a.at.top()) < 0.02, a.name);
            QVERIFY2(area.contains(a.caption.ink) && area.contains(a.caption.box), a.name);
            QVERIFY2(!a.caption.ink.intersects(display), a.name);
            for (const auto& b : captions) {
                if (&a != &b)
                    QVERIFY2(!a.caption.ink.intersects(b.caption.ink), a.name);
            }
        }
        QVERIFY(layout.lblTime.ink.bottom() < layout.lblSeiseki.ink.top());
        QVERIFY(layout.lblCount.ink.right() < layout.lblTime.ink.left());
        QVERIFY(layout.captionScale > 0.3 && layout.captionScale <= 1);
    }

    // The design sizes stay where they fit, and only there.
    void captionsKeepTheirDesignSizeWhereItFits_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("designSize");
        QTest::newRow("1920x1080") << QSize(1920, 1056) << true;
        QTest::newRow("3840x2160 at 200 %") << QSize(1920, 1056) << true;
        QTest::newRow("3840x2160") << QSize(3840, 2136) << true;
        QTest::newRow("1920x1080 at 200 %") << QSize(960, 516) << false;
        QTest::newRow("1366x768 at 150 %") << QSize(911, 488) << false;
    }

    void captionsKeepTheirDesignSizeWhereItFits()
    {
        QFETCH(QSize, client);
        QFETCH(bool, designSize);
        const ScreenLayout layout = layoutScreen(client, 96, 96, everyCaption());
        QCOMPARE(layout.captionScale == 1.0, designSize);
        // Shrunk no more than needed: captions a step larger would not fit at this scale.
        if (!designSize) {
            CaptionsMetrics larger = everyCaption();
            const double step = (layout.captionScale + 0.01) / layout.captionScale;
            for (CaptionMetrics* c :
                { &larger.lblCount, &larger.lblTime, &larger.lblSeiseki, &larger.lblFontSize })
                c->ink = QRectF(c->ink.topLeft() * step, c->ink.size() * step);
            QVERIFY(layoutScreen(client, 96, 96, larger).captionScale < layout.captionScale);
        }
    }

    // A window with no room left keeps the smallest captions rather than failing.
    void anEmptyClientAreaStillLaysOut()
    {
        const ScreenLayout layout = layoutScreen(QSize(0, 0), 96, 96, everyCaption());
        QCOMPARE(layout.txtHyoji, QRect(0, 0, 0, 0));
        QCOMPARE(layout.captionScale, SmallestCaptionScale);
    }

    void displayBoxInPixelsOnA4kScreen()
    {
        const WindowLayout uhd = layoutWindow(pixelsToTwips(3840, 96), pixelsToTwips(2160, 96));
        QCOMPARE(twipsToPixels(uhd.txtHyoji, 96, 96), QRect(38, 43, 3764, 1642));
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
