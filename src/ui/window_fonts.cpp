#include "window_fonts.h"

#include <QStringList>

namespace {

QFont fontFrom(const QStringList& families, QFont::StyleHint hint, double pointSize)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace

QFont proportionalFont(double pointSize)
{
    return fontFrom({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif") },
        QFont::SansSerif, pointSize);
}

QFont fixedPitchFont(double pointSize)
{
    QFont font
        = fontFrom({ QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                       QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace") },
            QFont::Monospace, pointSize);
    font.setFixedPitch(true);
    return font;
}
