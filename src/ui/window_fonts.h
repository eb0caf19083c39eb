#pragma once

#include <QFont>

// The window's faces: the Japanese Gothic faces where installed, otherwise faces that also
// have Japanese glyphs, then whatever the system offers.
QFont proportionalFont(double pointSize);
QFont fixedPitchFont(double pointSize);
