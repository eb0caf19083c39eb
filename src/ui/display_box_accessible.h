#pragma once

#include <QAccessibleWidget>

class DisplayBox;

// What a screen reader is told of the display box: its name and description, and as its value
// the line as far as it is shown.
class DisplayBoxAccessible : public QAccessibleWidget {
public:
    explicit DisplayBoxAccessible(DisplayBox* box);

    QString text(QAccessible::Text kind) const override;

    // For QAccessible::installFactory: an interface for every display box, none for others.
    static QAccessibleInterface* create(const QString& className, QObject* object);
};
