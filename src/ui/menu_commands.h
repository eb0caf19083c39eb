#pragma once

#include <QObject>

#include <array>
#include <cstddef>

class CommandQueue;
class QAction;
class EditorLauncher;
class FontChooser;
class MessageBoxes;
class QMenu;
class ProgramExit;
class ProgressOpener;
class QMainWindow;
class QString;
class QWidget;
class ReadingRun;
class Voice;

// The menu bar: opening a drill file, starting the text editor, the Progress window, the display
// font, muting the voice and choosing its English voice and pace, the version box and Exit.
// Exit ends the program at once; every other item runs through the command queue, after a
// command waiting for speech.
class MenuCommands : public QObject {
    Q_OBJECT
public:
    MenuCommands(QMainWindow& window, CommandQueue& commands, QWidget& display, ReadingRun& run,
        Voice& voice, FontChooser& fonts, EditorLauncher& editor, MessageBoxes& messages,
        ProgramExit& exit, ProgressOpener& progress);

    // The version box's text for the given major version.
    static QString versionText(int majorVersion);

private:
    void buildMenus(QMainWindow& window);
    // Runs the item's command through the command queue when the item is chosen.
    template <typename Command> void onTriggered(QAction* item, Command command);
    template <typename Value> struct RadioChoice {
        Value value;
        const char* caption;
        const char* name;
    };
    // Radio items after a separator, the current value checked; choosing one runs choose(value).
    template <typename Value, std::size_t Count, typename Choose>
    void addRadioChoices(QMenu& menu, const std::array<RadioChoice<Value>, Count>& choices,
        Value current, Choose choose);
    // The English voice as radio items, showing the one the voice was started with.
    void addEnglishVoiceChoice(QMenu& menu);
    // The pace as radio items, showing the one the voice was started with.
    void addPaceChoice(QMenu& menu);
    void startEditor();
    void chooseFont();
    void showVersion();
    // Runs a command that must not end the program: a failure is reported and the program
    // keeps running.
    template <typename Command> void reportingFailures(const QString& title, Command command);

    CommandQueue& m_commands;
    QWidget& m_display;
    ReadingRun& m_run;
    Voice& m_voice;
    FontChooser& m_fonts;
    EditorLauncher& m_editor;
    MessageBoxes& m_messages;
    ProgramExit& m_exit;
    ProgressOpener& m_progress;
};
