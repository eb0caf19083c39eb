#pragma once

#include <QAccessibleTextInterface>
#include <QAccessibleWidget>

class QLabel;

// What a screen reader is told of a control that shows text the learner reads: its name and
// description, and the text as far as it is shown, as read-only accessible text (for review
// and braille). The display box's line is offered as selected, so that a screen reader speaks
// it when it is shown; a caption that shows nothing is not offered.
class ShownTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    ShownTextAccessible(QWidget* widget, QAccessible::Role role);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    // The accessible name and description come from the widget; this is the shown text.
    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // For QAccessible::installFactory: an interface for the display box and the captions.
    static QAccessibleInterface* create(const QString& className, QObject* object);

private:
    QString shown() const;
    bool isDisplayBox() const;
};
