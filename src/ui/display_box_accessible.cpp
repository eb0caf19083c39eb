#include "display_box_accessible.h"

#include "display_box.h"

DisplayBoxAccessible::DisplayBoxAccessible(DisplayBox* box)
    : QAccessibleWidget(box, QAccessible::StaticText)
{
}

QString DisplayBoxAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return static_cast<const DisplayBox*>(widget())->fitted().shownText();
    return QAccessibleWidget::text(kind);
}

QAccessibleInterface* DisplayBoxAccessible::create(const QString&, QObject* object)
{
    if (auto* box = qobject_cast<DisplayBox*>(object))
        return new DisplayBoxAccessible(box);
    return nullptr;
}
