#pragma once

#include <QLabel>

// One of the window's captions (the count, the time, the rate, the font size): a label a
// screen reader reads by its descriptive name and, as accessible text, by what it shows.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(QWidget* parent = nullptr);
};
