#pragma once

class QString;
class QWidget;

// The dialogs the Progress window asks through: where to save a CSV file, whether to forget a
// drill, and what went wrong.
class ProgressDialogs {
public:
    virtual ~ProgressDialogs() = default;
    // An empty answer is a cancel.
    virtual QString chooseCsvFile(QWidget* parent, const QString& suggested) = 0;
    virtual bool confirmForget(QWidget* parent, const QString& title) = 0;
    virtual void reportError(QWidget* parent, const QString& title, const QString& message) = 0;
};
