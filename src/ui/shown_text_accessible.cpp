#include "shown_text_accessible.h"

#include "caption_label.h"
#include "display_box.h"

ShownTextAccessible::ShownTextAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role)
{
}

void* ShownTextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ShownTextAccessible::shown() const
{
    if (const auto* box = qobject_cast<const DisplayBox*>(widget()))
        return box->fitted().shownText();
    if (const auto* caption = qobject_cast<const QLabel*>(widget()))
        return caption->text();
    return QString();
}

bool ShownTextAccessible::isDisplayBox() const
{
    return qobject_cast<const DisplayBox*>(widget()) != nullptr;
}

QAccessible::State ShownTextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    if (qobject_cast<const QLabel*>(widget()) && shown().isEmpty())
        state.invisible = true;
    return state;
}

// The display box's whole line is its one selection.
void ShownTextAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = selectionIndex < selectionCount() ? characterCount() : 0;
}

int ShownTextAccessible::selectionCount() const
{
    return isDisplayBox() && characterCount() > 0 ? 1 : 0;
}

// The text is only read: selections and the cursor cannot be changed.
void ShownTextAccessible::addSelection(int, int) { }
void ShownTextAccessible::removeSelection(int) { }
void ShownTextAccessible::setSelection(int, int, int) { }
void ShownTextAccessible::setCursorPosition(int) { }
void ShownTextAccessible::scrollToSubstring(int, int) { }

int ShownTextAccessible::cursorPosition() const
{
    return 0;
}

QString ShownTextAccessible::text(int startOffset, int endOffset) const
{
    const QString text = shown();
    if (endOffset < 0 || endOffset > text.size())
        endOffset = int(text.size());
    if (startOffset < 0 || startOffset >= endOffset)
        return QString();
    return text.mid(startOffset, endOffset - startOffset);
}

int ShownTextAccessible::characterCount() const
{
    return int(shown().size());
}

QRect ShownTextAccessible::characterRect(int) const
{
    return QRect();
}

int ShownTextAccessible::offsetAtPoint(const QPoint&) const
{
    return -1;
}

QString ShownTextAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = std::max(offset, characterCount());
    return QString();
}

QAccessibleInterface* ShownTextAccessible::create(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<DisplayBox*>(object))
        return new ShownTextAccessible(box, QAccessible::EditableText);
    if (auto* caption = qobject_cast<CaptionLabel*>(object))
        return new ShownTextAccessible(caption, QAccessible::StaticText);
    return nullptr;
}
