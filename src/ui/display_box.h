#pragma once

#include "fitted_line.h"

#include <QWidget>

#include <optional>

// The box that shows the current line in the learner's font and colours (the palette's Text
// on its Base). The whole line is always visible: a line too big for the box at the chosen
// font is drawn smaller, while font() stays what the learner chose. The line is fitted once
// per text, font and box size, when it is first painted, and only the part that can be seen
// is laid out, so a key press costs the same on a line of megabytes as on a short one.
class DisplayBox : public QWidget {
    Q_OBJECT
public:
    explicit DisplayBox(QWidget* parent = nullptr);

    // Shows the text; a screen reader is told of it even when it is the line already shown.
    void setText(const QString& text);
    // The whole text set, however little of it fits.
    const QString& text() const { return m_text; }

    // How the text is drawn now; fitted on first use.
    const FittedLine& fitted() const;
    // How many times a text has been fitted since the box was made.
    int fitsMade() const { return m_fitsMade; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRectF textArea() const;
    void refit();
    void announce();

    QString m_text;
    mutable std::optional<FittedLine> m_fitted;
    mutable QSizeF m_fittedArea;
    mutable int m_fitsMade = 0;
};
