#pragma once

#include <QColor>
#include <QFont>

#include <optional>

// Asks the learner for the display font and then its colour. Each returns nothing when the
// learner cancels.
class FontChooser {
public:
    virtual ~FontChooser() = default;
    virtual std::optional<QFont> chooseFont() = 0;
    virtual std::optional<QColor> chooseColor() = 0;
};
