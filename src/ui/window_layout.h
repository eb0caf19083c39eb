#pragma once

#include <QRect>
#include <QRectF>
#include <QtGlobal>

#include <functional>

class QFont;
class QPaintDevice;
class QString;

// A control's box in twips (1/1440 inch).
struct TwipBox {
    double height = 0;
    double width = 0;
    double top = 0;
    double left = 0;
};

// Where the window's five controls go for a given client area.
struct WindowLayout {
    qint64 H = 0; // a fifth of the client height, whole twips
    qint64 W = 0; // 99 % of the client width, whole twips
    TwipBox lblCount;
    TwipBox lblTime;
    TwipBox lblSeiseki;
    TwipBox txtHyoji;
    TwipBox lblFontSize;
};

inline constexpr double TwipsPerInch = 1440.0;

// Lays the controls out in proportion to the client area. The units are 64-bit so that any
// real screen, however large, fits.
WindowLayout layoutWindow(qint64 clientWidthTwips, qint64 clientHeightTwips);

qint64 pixelsToTwips(int pixels, double dotsPerInch);
// The box in device-independent pixels at the given logical DPI (horizontal, vertical).
QRect twipsToPixels(const TwipBox& box, double dpiX, double dpiY);

// A caption at its design size: the label's size and where the ink of its text lies in it.
struct CaptionMetrics {
    QSizeF box;
    QRectF ink;
};

// Measures the caption's text together with the widest text it is laid out for, so that its
// size does not jump from one caption to the next.
CaptionMetrics captionMetrics(
    const QFont& font, const QString& caption, const QString& widest, const QPaintDevice* device);

struct CaptionsMetrics {
    CaptionMetrics lblCount;
    CaptionMetrics lblTime;
    CaptionMetrics lblSeiseki;
    CaptionMetrics lblFontSize;
};

// A caption placed on the client area: the label's box and the ink in client coordinates.
struct PlacedCaption {
    QRect box;
    QRectF ink;
};

// The window's controls in device-independent pixels.
struct ScreenLayout {
    QRect txtHyoji;
    PlacedCaption lblCount;
    PlacedCaption lblTime;
    PlacedCaption lblSeiseki;
    PlacedCaption lblFontSize;
    // The caption fonts' share of their design size: 1 where the design sizes fit.
    double captionScale = 1;
};

inline constexpr double SmallestCaptionScale = 0.1;

// The captions measured in the fonts they are drawn in at the given share of their design size.
// A scaled font is hinted and rounded, so its text is not exactly the design text scaled.
using CaptionsDrawnAt = std::function<CaptionsMetrics(double scale)>;

// Places the controls by the proportional layout and shrinks the captions, all by the same
// factor, until no caption's ink touches another's or the display box, and every caption's
// box lies inside the client area. The boxes themselves may overlap where only the space
// around the text does (the time's and the rate's, as the proportions place them). A client
// area too small for even the smallest factor keeps that factor. Given how the captions are
// drawn, every box holds its text as drawn, so that no glyph is cut.
ScreenLayout layoutScreen(const QSize& client, double dpiX, double dpiY,
    const CaptionsMetrics& captions, const CaptionsDrawnAt& drawnAt = {});
