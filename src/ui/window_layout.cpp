#include "window_layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <array>
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

CaptionMetrics captionMetrics(
    const QFont& font, const QString& caption, const QString& widest, const QPaintDevice* device)
{
    const QFontMetricsF metrics(font, device);
    CaptionMetrics measured;
    for (const QString& text : { caption, widest }) {
        if (text.isEmpty())
            continue;
        // A label draws its text from its top left, the baseline one ascent down.
        measured.box = measured.box.expandedTo(metrics.size(Qt::TextSingleLine, text));
        measured.ink |= metrics.tightBoundingRect(text).translated(0, metrics.ascent());
    }
    return measured;
}

namespace {

PlacedCaption place(QPoint topLeft, const CaptionMetrics& caption, double scale)
{
    const QSize box(
        int(std::ceil(caption.box.width() * scale)), int(std::ceil(caption.box.height() * scale)));
    const QRectF ink(QPointF(topLeft) + caption.ink.topLeft() * scale, caption.ink.size() * scale);
    return { QRect(topLeft, box), ink };
}

// The caption as drawn: its box grown to hold the text and its ink, a pixel more as the label
// lays its text out in whole pixels, and the ink where it is drawn.
void asDrawn(PlacedCaption& placed, const CaptionMetrics& drawn)
{
    const QPoint topLeft = placed.box.topLeft();
    const QSize needed(int(std::ceil(std::max(drawn.box.width(), drawn.ink.right()))) + 1,
        int(std::ceil(std::max(drawn.box.height(), drawn.ink.bottom()))) + 1);
    placed.box.setSize(placed.box.size().expandedTo(needed));
    placed.ink = drawn.ink.translated(topLeft);
}

bool fits(const ScreenLayout& layout, const QSize& client)
{
    const std::array<PlacedCaption, 4> captions
        = { layout.lblCount, layout.lblTime, layout.lblSeiseki, layout.lblFontSize };
    const QRect window(QPoint(0, 0), client);
    for (const PlacedCaption& caption : captions) {
        if (!window.contains(caption.box))
            return false;
    }
    const std::array<QRectF, 4> inks = { layout.lblCount.ink, layout.lblTime.ink,
        layout.lblSeiseki.ink, layout.lblFontSize.ink };
    const QRectF area(QPointF(0, 0), QSizeF(client));
    // A pixel apart at least, as a font drawn at a scaled size may come out a little larger.
    for (std::size_t i = 0; i < inks.size(); ++i) {
        if (inks[i].isEmpty())
            continue;
        if (!area.contains(inks[i]) || inks[i].intersects(QRectF(layout.txtHyoji)))
            return false;
        for (std::size_t j = i + 1; j < inks.size(); ++j) {
            if (inks[i].adjusted(-1, -1, 1, 1).intersects(inks[j]))
                return false;
        }
    }
    return true;
}

} // namespace

ScreenLayout layoutScreen(const QSize& client, double dpiX, double dpiY,
    const CaptionsMetrics& captions, const CaptionsDrawnAt& drawnAt)
{
    const WindowLayout twips
        = layoutWindow(pixelsToTwips(client.width(), dpiX), pixelsToTwips(client.height(), dpiY));
    ScreenLayout layout;
    layout.txtHyoji = twipsToPixels(twips.txtHyoji, dpiX, dpiY);
    // Rounding to pixels may push the display box's bottom a pixel past the captions' row.
    const int below = layout.txtHyoji.y() + layout.txtHyoji.height();
    const auto corner = [&](const TwipBox& box) {
        const QRect rect = twipsToPixels(box, dpiX, dpiY);
        return QPoint(rect.x(), std::max(rect.y(), below));
    };
    const QPoint count = corner(twips.lblCount);
    const QPoint time = corner(twips.lblTime);
    const QPoint rate = corner(twips.lblSeiseki);
    const QPoint fontSize = corner(twips.lblFontSize);

    // Whole hundredths from the design size down: few enough steps to try them all.
    for (int percent = 100;; --percent) {
        layout.captionScale = percent / 100.0;
        layout.lblCount = place(count, captions.lblCount, layout.captionScale);
        layout.lblTime = place(time, captions.lblTime, layout.captionScale);
        layout.lblSeiseki = place(rate, captions.lblSeiseki, layout.captionScale);
        layout.lblFontSize = place(fontSize, captions.lblFontSize, layout.captionScale);
        const bool last = layout.captionScale <= SmallestCaptionScale;
        if (!fits(layout, client) && !last)
            continue;
        if (!drawnAt)
            return layout;
        // Measured as drawn only where the design scaled would fit: a handful of fonts.
        const CaptionsMetrics drawn = drawnAt(layout.captionScale);
        asDrawn(layout.lblCount, drawn.lblCount);
        asDrawn(layout.lblTime, drawn.lblTime);
        asDrawn(layout.lblSeiseki, drawn.lblSeiseki);
        asDrawn(layout.lblFontSize, drawn.lblFontSize);
        if (fits(layout, client) || last)
            return layout;
    }
}
