#pragma once

#include "progress_dialogs.h"

// The platform's save dialog and message boxes.
class DialogProgressDialogs : public ProgressDialogs {
public:
    QString chooseCsvFile(QWidget* parent, const QString& suggested) override;
    bool confirmForget(QWidget* parent, const QString& title) override;
    void reportError(QWidget* parent, const QString& title, const QString& message) override;
};
