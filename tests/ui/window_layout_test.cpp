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

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    // Where the design sizes do not fit, captions shrink, but no more than needed: a step larger
    // would not fit. (The window test checks the design sizes where they fit.)
    void captionsShrinkNoMoreThanNeeded_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::newRow("1920x1080 at 200 %") << QSize(960, 516);
        QTest::newRow("1366x768 at 150 %") << QSize(911, 488);
    }

    void captionsShrinkNoMoreThanNeeded()
    {
        QFETCH(QSize, client);
        const ScreenLayout layout = layoutScreen(client, 96, 96, everyCaption());
        QVERIFY(layout.captionScale < 1.0);
        CaptionsMetrics larger = everyCaption();
        const double step = (layout.captionScale + 0.01) / layout.captionScale;
        for (CaptionMetrics* c :
            { &larger.lblCount, &larger.lblTime, &larger.lblSeiseki, &larger.lblFontSize })
            c->ink = QRectF(c->ink.topLeft() * step, c->ink.size() * step);
        QVERIFY(layoutScreen(client, 96, 96, larger).captionScale < layout.captionScale);
    }

    // A window with no room left keeps the smallest captions rather than failing.
    void anEmptyClientAreaStillLaysOut()
    {
        const ScreenLayout layout = layoutScreen(QSize(0, 0), 96, 96, everyCaption());
        QCOMPARE(layout.txtHyoji, QRect(0, 0, 0, 0));
        QCOMPARE(layout.captionScale, SmallestCaptionScale);
    }

    // The window's parts take the same share of the screen at any resolution, also where the
    // screen's dots are not square.
    void theLayoutDoesNotDependOnTheResolution_data()
    {
        QTest::addColumn<double>("dpiX");
        QTest::addColumn<double>("dpiY");
        QTest::newRow("120 x 96") << 120.0 << 96.0;
        QTest::newRow("96 x 144") << 96.0 << 144.0;
        QTest::newRow("192 x 120") << 192.0 << 120.0;
    }

    void theLayoutDoesNotDependOnTheResolution()
    {
        QFETCH(double, dpiX);
        QFETCH(double, dpiY);
        const QSize client(1366, 744);
        const ScreenLayout square = layoutScreen(client, 96, 96, everyCaption());
        const ScreenLayout layout = layoutScreen(client, dpiX, dpiY, everyCaption());
        const auto near = [](const QRect& a, const QRect& b) {
            return std::abs(a.left() - b.left()) <= 1 && std::abs(a.top() - b.top()) <= 1
                && std::abs(a.right() - b.right()) <= 1 && std::abs(a.bottom() - b.bottom()) <= 1;
        };
        QVERIFY2(near(layout.txtHyoji, square.txtHyoji), "display box");
        QVERIFY2(near(layout.lblCount.box, square.lblCount.box), "count");
        QVERIFY2(near(layout.lblSeiseki.box, square.lblSeiseki.box), "rate");
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
