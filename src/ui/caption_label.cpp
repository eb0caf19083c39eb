#include "caption_label.h"

#include "shown_text_accessible.h"

#include <QAccessible>

CaptionLabel::CaptionLabel(QWidget* parent)
    : QLabel(parent)
{
    QAccessible::installFactory(ShownTextAccessible::create);
}
