#include "window_layout.h"

#include <cmath>

namespace {

TwipBox box(qint64 H, qint64 W, double height, double width, double top, double left)
{
    const double h = double(H);
    const double w = double(W);
    return { height * h, width * w, top * h, left * w };
}

int toPixels(double twips, double dotsPerInch)
{
    return int(std::lround(twips * dotsPerInch / TwipsPerInch));
}

} // namespace

WindowLayout layoutWindow(qint64 clientWidthTwips, qint64 clientHeightTwips)
{
    WindowLayout layout;
    // Integer division truncates, which is the whole part for the non-negative sizes a
    // client area has; a negative size is treated as empty.
    layout.H = qMax<qint64>(0, clientHeightTwips) / 5;
    layout.W = qMax<qint64>(0, clientWidthTwips) * 99 / 100;
    const qint64 H = layout.H;
    const qint64 W = layout.W;
    layout.lblCount = box(H, W, 0.5, 0.25, 3.9, 0.1);
    layout.lblTime = box(H, W, 0.5, 0.25, 3.9, 0.51);
    layout.lblSeiseki = box(H, W, 0.5, 0.45, 4.3, 0.51);
    layout.txtHyoji = box(H, W, 3.8, 0.99, 0.1, 0.01);
    layout.lblFontSize = box(H, W, 0.3, 0.25, 4.5, 0.1);
    return layout;
}

qint64 pixelsToTwips(int pixels, double dotsPerInch)
{
    return std::llround(double(pixels) * TwipsPerInch / dotsPerInch);
}

QRect twipsToPixels(const TwipBox& box, double dpiX, double dpiY)
{
    return QRect(toPixels(box.left, dpiX), toPixels(box.top, dpiY), toPixels(box.width, dpiX),
        toPixels(box.height, dpiY));
}
