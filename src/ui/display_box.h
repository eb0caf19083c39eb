#pragma once

#include <QPlainTextEdit>

// The read-only box that shows the current line. Space steps the drill on, so here it must
// not also scroll the box: a long line would then show its middle instead of its start.
class DisplayBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DisplayBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
