#pragma once

#include <QRect>
#include <QtGlobal>

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
