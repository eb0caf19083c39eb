#pragma once

#include "font_chooser.h"

// The platform's font and colour dialogs. Each opens on what was chosen in it last time.
class DialogFontChooser : public FontChooser {
public:
    std::optional<QFont> chooseFont() override;
    std::optional<QColor> chooseColor() override;

private:
    QFont m_lastFont;
    QColor m_lastColor = Qt::yellow;
};
