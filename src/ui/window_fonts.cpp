#include "window_fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

QFont fontFrom(const QStringList& families, QFont::StyleHint hint, double pointSize)
{
    // Only installed faces are asked for: for a face that is missing, Qt has fontconfig sort
    // every font on the system for substitutes, several milliseconds before the first frame.
    // Glyphs an installed face lacks still come from fontconfig's fallbacks; with none of the
    // faces installed, fontconfig substitutes for the whole list.
    QFont font;
    const QStringList all = QFontDatabase::families();
    QStringList installed;
    for (const QString& family : families)
        if (all.contains(family))
            installed.append(family);
    font.setFamilies(installed.isEmpty() ? families : installed);
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
