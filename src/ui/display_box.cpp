#include "display_box.h"

#include "shown_text_accessible.h"

#include <QAccessible>
#include <QPainter>

namespace {
// Keeps the text off the box's edges, as a text box's margin would.
constexpr double Margin = 4;
} // namespace

DisplayBox::DisplayBox(QWidget* parent)
    : QWidget(parent)
{
    QAccessible::installFactory(ShownTextAccessible::create);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A Japanese input method in kana mode would otherwise take the home-row keys.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void DisplayBox::setText(const QString& text)
{
    // The same line shown again (a repeat) keeps its fit; comparing the data is enough, as
    // the drill hands over the stored line itself.
    if (text.constData() != m_text.constData() || text.size() != m_text.size()) {
        m_text = text;
        refit();
    }
    announce();
}

// A screen reader speaks text inserted into the control that has the focus when the inserted
// text is also selected, and says nothing of a change it cannot trace to a key typed there.
// So each line shown, a repeat included, is told as inserted, and the line is offered as
// selected (see ShownTextAccessible). No removal is told: a screen reader would announce the
// selected text as deleted.
void DisplayBox::announce()
{
    if (!QAccessible::isActive())
        return;
    const QString shown = fitted().shownText();
    if (shown.isEmpty())
        return;
    QAccessibleTextInsertEvent inserted(this, 0, shown);
    QAccessible::updateAccessibility(&inserted);
}

const FittedLine& DisplayBox::fitted() const
{
    // The size is compared here, not only on resize events: a hidden box gets those late.
    const QSizeF area = textArea().size();
    if (!m_fitted || m_fittedArea != area) {
        m_fitted.emplace(m_text, font(), area, this);
        m_fittedArea = area;
        ++m_fitsMade;
    }
    return *m_fitted;
}

QRectF DisplayBox::textArea() const
{
    return QRectF(rect()).adjusted(Margin, Margin, -Margin, -Margin);
}

void DisplayBox::refit()
{
    m_fitted.reset();
    update();
}

void DisplayBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    const QRectF area = textArea();
    painter.setClipRect(area);
    fitted().draw(painter, area.topLeft());
}

void DisplayBox::resizeEvent(QResizeEvent*)
{
    update();
}

void DisplayBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        refit();
    else if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}
