#include "fitted_line.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

struct FittedLine::Attempt {
    std::unique_ptr<QTextLayout> layout;
    double pointSize = 0;
    int rows = 0; // rows that lie inside the box
    qsizetype end = 0; // where the last of those rows ends in the text
    bool whole = false; // every character lies in those rows, none of them wider than the box
    QSizeF size;
};

FittedLine::FittedLine(
    const QString& text, const QFont& chosen, const QSizeF& box, const QPaintDevice* device)
    : m_text(text)
    , m_font(chosen)
    , m_box(box.expandedTo(QSizeF(0, 0)))
    , m_device(device)
{
    const double chosenSize
        = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : QFontInfo(chosen).pointSizeF();
    Attempt atChosen = layOut(chosenSize);
    if (atChosen.whole) {
        take(std::move(atChosen));
        return;
    }
    const double minimum = std::min(chosenSize, smallestReadableSize(chosen, m_box, device));
    Attempt best = layOut(minimum);
    if (!best.whole) {
        take(std::move(best));
        markCut();
        return;
    }
    // The largest whole point size between the two that still holds the whole line.
    int low = int(std::floor(minimum)) + 1;
    int high = int(std::ceil(chosenSize)) - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        Attempt attempt = layOut(middle);
        if (attempt.whole) {
            best = std::move(attempt);
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    take(std::move(best));
}

double FittedLine::smallestReadableSize(
    const QFont& font, const QSizeF& box, const QPaintDevice* device)
{
    QFont reference = font;
    reference.setPointSizeF(MinimumPointSize);
    // Row height grows in proportion to the size, near enough for a lower bound.
    const double rowHeight = std::max(1.0, QFontMetricsF(reference, device).height());
    return std::max(MinimumPointSize, MinimumPointSize * box.height() / MostRows / rowHeight);
}

FittedLine::~FittedLine() = default;
FittedLine::FittedLine(FittedLine&&) noexcept = default;
FittedLine& FittedLine::operator=(FittedLine&&) noexcept = default;

FittedLine::Attempt FittedLine::layOut(double pointSize) const
{
    QFont font = m_font;
    font.setPointSizeF(pointSize);
    const QFontMetricsF metrics(font, m_device);
    // A generous guess at how many characters fill the box, so that one pass is the rule; it
    // grows only when the rows swallowed all of it.
    const double rowHeight = std::max(1.0, metrics.height());
    const double narrowCharacter = std::max(1.0, metrics.averageCharWidth() / 2);
    const double guess = (std::floor(m_box.height() / rowHeight) + 1)
        * (std::floor(m_box.width() / narrowCharacter) + 1);
    const qsizetype most = std::min(m_text.size(), MostCharactersLaidOut);
    qsizetype length = std::min(most, qsizetype(std::min(guess, 1e9)) + 64);

    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (;;) {
        Attempt attempt;
        attempt.pointSize = pointSize;
        attempt.layout = std::make_unique<QTextLayout>(m_text.left(length), font, m_device);
        attempt.layout->setTextOption(wrapping);
        m_laidOut += length;
        double y = 0;
        double widest = 0;
        attempt.layout->beginLayout();
        for (QTextLine line = attempt.layout->createLine(); line.isValid();
             line = attempt.layout->createLine()) {
            line.setLineWidth(m_box.width());
            if (y + line.height() > m_box.height())
                break;
            line.setPosition(QPointF(0, y));
            y += line.height();
            widest = std::max(widest, line.naturalTextWidth());
            attempt.end = line.textStart() + line.textLength();
            ++attempt.rows;
        }
        attempt.layout->endLayout();
        if (attempt.end >= length && length < most) {
            length = std::min(most, length * 4);
            continue;
        }
        attempt.whole = attempt.end >= m_text.size() && widest <= m_box.width();
        attempt.size = QSizeF(std::min(widest, m_box.width()), y);
        return attempt;
    }
}

void FittedLine::take(Attempt attempt)
{
    m_font.setPointSizeF(attempt.pointSize);
    m_body = std::move(attempt.layout);
    m_rows = attempt.rows;
    m_cut = !attempt.whole;
    m_shownLength = attempt.whole ? m_text.size() : attempt.end;
    m_size = attempt.size;
}

void FittedLine::markCut()
{
    if (m_rows == 0)
        return;
    // The last row gives up as many characters as the mark needs.
    const QTextLine last = m_body->lineAt(m_rows - 1);
    const double markWidth = QFontMetricsF(m_font, m_device).horizontalAdvance(CutMark);
    // The character under the edge goes too: one that straddles it would push the mark out.
    qsizetype end
        = last.xToCursor(std::max(0.0, m_box.width() - markWidth), QTextLine::CursorOnCharacter);
    end = std::clamp<qsizetype>(end, last.textStart(), last.textStart() + last.textLength());
    while (end > last.textStart() && m_text.at(end - 1).isSpace())
        --end;
    if (end > last.textStart() && m_text.at(end - 1).isHighSurrogate())
        --end;
    const QString tail = m_text.mid(last.textStart(), end - last.textStart()) + CutMark;
    m_laidOut += tail.size();

    m_tail = std::make_unique<QTextLayout>(tail, m_font, m_device);
    QTextOption single;
    single.setWrapMode(QTextOption::NoWrap);
    m_tail->setTextOption(single);
    m_tail->beginLayout();
    QTextLine row = m_tail->createLine();
    row.setLineWidth(m_box.width());
    row.setPosition(last.position());
    m_tail->endLayout();
    m_shownLength = end;
    m_tailStart = last.textStart();
    --m_rows;
}

QString FittedLine::shownText() const
{
    if (!m_cut)
        return m_text;
    return m_tail ? m_text.left(m_tailStart) + m_tail->text() : QString();
}

namespace {

// Qt copies glyphs up to this size in pixels from its glyph cache; larger ones it fills as
// outlines.
constexpr double LargestCachedGlyph = 64;

// A row of large glyphs filled as one outline costs Qt's rasteriser several times what the same
// glyphs cost filled one by one: 3.2 against 0.7 ms for the greeting at 133 px. Cached glyphs
// are copied fastest a whole run at a time. Only the row draws its underline or strike-out
// right, so a font with either is drawn by the row.
void drawRow(QPainter& painter, const QTextLine& row, const QPointF& topLeft)
{
    const QList<QGlyphRun> runs = row.glyphRuns();
    const bool decorated = std::any_of(runs.begin(), runs.end(),
        [](const QGlyphRun& run) { return run.underline() || run.overline() || run.strikeOut(); });
    if (decorated) {
        row.draw(&painter, topLeft);
        return;
    }
    const double scale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    for (const QGlyphRun& run : runs) {
        if (run.rawFont().pixelSize() * scale <= LargestCachedGlyph) {
            painter.drawGlyphRun(topLeft, run);
            continue;
        }
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        QGlyphRun glyph = run;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            glyph.setRawData(&glyphs[i], &positions[i], 1);
            painter.drawGlyphRun(topLeft, glyph);
        }
    }
}

} // namespace

void FittedLine::draw(QPainter& painter, const QPointF& topLeft) const
{
    for (int row = 0; row < m_rows; ++row)
        drawRow(painter, m_body->lineAt(row), topLeft);
    if (m_tail)
        drawRow(painter, m_tail->lineAt(0), topLeft);
}
