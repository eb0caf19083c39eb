#include "display_box.h"

#include "shown_text_accessible.h"

#include <QAccessible>
#include <QPainter>

namespace {
// Keeps the text off the box's edges, as a text box's margin would.
constexpr double Margin = 4;
const QString Purpose = QStringLiteral("Drill line");
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
        // Without a screen reader listening, the line is fitted only when it is painted.
        const bool listened = QAccessible::isActive();
        const QString before = listened ? fitted().shownText() : QString();
        m_text = text;
        refit();
        if (listened && fitted().shownText() != before) {
            QAccessibleTextUpdateEvent changed(this, 0, before, fitted().shownText());
            QAccessible::updateAccessibility(&changed);
        }
    }
    announce();
}

QString DisplayBox::announcedLine() const
{
    if (m_blankName)
        return QString();
    const QString shown = fitted().shownText();
    return shown.isEmpty() ? Purpose : shown;
}

// A screen reader presents a new name of the control that has the focus, and only a name that
// differs from the one it last heard: a line shown again is announced after a blank name.
void DisplayBox::announce()
{
    if (!QAccessible::isActive())
        return;
    const QString name = announcedLine();
    if (name == m_lastAnnounced) {
        m_blankName = true;
        QAccessibleEvent blank(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&blank);
        m_blankName = false;
    }
    m_lastAnnounced = name;
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
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
