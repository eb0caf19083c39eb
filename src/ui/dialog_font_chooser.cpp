#include "dialog_font_chooser.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

std::optional<QFont> DialogFontChooser::chooseFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(
        &ok, m_lastFont, QApplication::activeWindow(), QStringLiteral("Font"));
    if (!ok)
        return std::nullopt;
    m_lastFont = font;
    return font;
}

std::optional<QColor> DialogFontChooser::chooseColor()
{
    const QColor color = QColorDialog::getColor(
        m_lastColor, QApplication::activeWindow(), QStringLiteral("Text colour"));
    if (!color.isValid())
        return std::nullopt;
    m_lastColor = color;
    return color;
}
