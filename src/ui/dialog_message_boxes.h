#pragma once

#include "message_boxes.h"

// The platform's modal message boxes, over whichever window is active.
class DialogMessageBoxes : public MessageBoxes {
public:
    void reportError(const QString& title, const QString& message) override;
    void showInformation(const QString& title, const QString& text) override;
};
