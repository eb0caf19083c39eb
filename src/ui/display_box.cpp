#include "display_box.h"

#include <QKeyEvent>

DisplayBox::DisplayBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A Japanese input method in kana mode would otherwise take the home-row keys.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void DisplayBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
