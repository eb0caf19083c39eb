#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QPaintDevice;
class QTextLayout;

// How one drill line is drawn in a box: wrapped at word boundaries (or anywhere in a word too
// long for a row), at the chosen size when the whole line fits, otherwise at the largest size
// that does. A line too long even at the smallest readable size is shown from its beginning
// as far as fits, with a mark where it is cut. Only the part that can be seen is ever laid
// out, so the work is bounded by the box, never by the line.
class FittedLine {
public:
    // 12 pt is 16 pixels at 96 dpi: the smallest size at which kanji keep all their strokes
    // and body text stays readable from the seat in front of the screen.
    static constexpr double MinimumPointSize = 12.0;
    // A box of this many rows already holds a page, far more than one line to read aloud; on
    // a big screen the smallest size is the one that fills the box with them, which also
    // bounds what one frame must draw to a few thousand characters on any screen.
    static constexpr int MostRows = 24;
    // Far more characters than any box can show at a readable size; a line of characters that
    // take no room (zero-width spaces) is cut here instead of being laid out whole.
    static constexpr qsizetype MostCharactersLaidOut = 1 << 16;
    static inline const QString CutMark = QStringLiteral("…");

    // The device gives the font metrics (the widget that draws it, or none for the screen's).
    FittedLine(const QString& text, const QFont& chosen, const QSizeF& box,
        const QPaintDevice* device = nullptr);
    ~FittedLine();
    FittedLine(FittedLine&&) noexcept;
    FittedLine& operator=(FittedLine&&) noexcept;

    // The smallest size a line is drawn at in the box, unless the chosen size is smaller.
    static double smallestReadableSize(
        const QFont& font, const QSizeF& box, const QPaintDevice* device = nullptr);

    // The font the line is drawn in: the chosen one, or a smaller size of it.
    const QFont& font() const { return m_font; }
    bool isCut() const { return m_cut; }
    // Characters of the line that are shown; all of them unless it is cut.
    qsizetype shownLength() const { return m_shownLength; }
    // What a reader sees: the shown characters, and the cut mark if cut.
    QString shownText() const;
    // The drawn rows' extent: never wider or taller than the box.
    QSizeF size() const { return m_size; }
    // Characters handed to text layout to find the fit, over every size tried.
    qsizetype laidOutLength() const { return m_laidOut; }

    void draw(QPainter& painter, const QPointF& topLeft) const;

private:
    struct Attempt;
    Attempt layOut(double pointSize) const;
    void take(Attempt attempt);
    void markCut();

    QString m_text;
    QFont m_font;
    QSizeF m_box;
    const QPaintDevice* m_device = nullptr;
    std::unique_ptr<QTextLayout> m_body;
    int m_rows = 0; // rows of the body that are drawn
    std::unique_ptr<QTextLayout> m_tail; // the last row with the cut mark, when cut
    qsizetype m_tailStart = 0;
    bool m_cut = false;
    qsizetype m_shownLength = 0;
    QSizeF m_size;
    mutable qsizetype m_laidOut = 0;
};
