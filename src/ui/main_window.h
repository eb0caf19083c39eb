#pragma once

#include "command_queue.h"
#include "drill_view.h"
#include "reading_run.h"

#include <QFont>
#include <QMainWindow>

class Clock;
class DisplayBox;
class DrillFileReader;
class EditorLauncher;
class FileChooser;
class FontChooser;
class KeyCommands;
class MenuCommands;
class MessageBoxes;
class ProgramExit;
class ProgressOpener;
class QLabel;
class Voice;

// Everything outside the program that the window works with.
struct WindowServices {
    Voice& voice;
    const Clock& clock;
    DrillFileReader& files;
    FileChooser& fileChooser;
    FontChooser& fontChooser;
    EditorLauncher& editor;
    MessageBoxes& messages;
    ProgramExit& exit;
    ProgressOpener& progress;
};

// The program's one window: a huge display box for the current line, the count-down, time,
// rate and font-size labels, the keyboard commands and the menus. It owns the drill.
class MainWindow : public QMainWindow, public DrillView {
    Q_OBJECT
public:
    static inline const QString Greeting = QStringLiteral("SelectYourFile!");

    // With a drill file to open at start, the window opens it once it is on screen instead of
    // greeting the learner; a file that cannot be read is reported as the Open command does.
    explicit MainWindow(const WindowServices& services, const QString& fileAtStart = QString(),
        QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the window over the whole screen.
    void showOnScreen();

    ReadingRun& run() { return m_run; }

    // One point larger or smaller than the display font's size rounded to a whole number.
    ReadingRun::Outcome FontDai();
    ReadingRun::Outcome FontSho();

    void setDisplayText(const QString& text) override;
    QString displayText() const override;
    void setCountCaption(const QString& caption) override;
    bool isCountVisible() const override;
    void setCountVisible(bool visible) override;
    void setTimeCaption(const QString& caption) override;
    void setRateCaption(const QString& caption) override;
    QString rateCaption() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A .txt file dropped on the window opens as if chosen in the Open dialog; anything else
    // is refused, so the pointer shows the refusal while it is dragged.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void load(const QString& fileAtStart);
    void coverScreen();
    void layoutControls();
    ReadingRun::Outcome stepFontSize(int step);
    void setCaption(QLabel* label, const QString& caption);
    // The caption's accessible name: what it is, and its text as it should be heard.
    void nameForScreenReader(QLabel* label);
    void openDropped(const QString& path);

    Voice& m_voice;
    ProgramExit& m_exit;
    MessageBoxes& m_messages;
    // The captions' faces at their design sizes, made once: every caption change lays the
    // captions out again.
    const QFont m_captionFont;
    const QFont m_timeFont;
    const QFont m_fontSizeFont;
    QWidget* m_client = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblSeiseki = nullptr;
    DisplayBox* txtHyoji = nullptr;
    QLabel* lblFontSize = nullptr;
    ReadingRun m_run;
    CommandQueue m_commands;
    KeyCommands* m_keys = nullptr;
    MenuCommands* m_menus = nullptr;
    bool m_coveredOnShow = false;
};
