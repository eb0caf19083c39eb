#pragma once

#include <QObject>

#include <array>
#include <optional>

class CommandQueue;
class MainWindow;
class ProgramExit;
class QKeyEvent;

// The drill's keys, the same four commands under each hand. A key press typed into the window
// is taken once, where it enters the window from the windowing system, whichever control has
// the focus, and then goes on to that control. Keys typed into another window (a dialog, an
// open menu) are that window's own. While a command waits for speech to be heard, keys typed
// into the window meanwhile run in order afterwards (through the command queue) and Esc still
// ends the program at once; the window's controls other than the menu bar take no mouse
// input then, while other windows, such as a message box the command opens, take theirs as
// always.
class KeyCommands : public QObject {
    Q_OBJECT
public:
    enum class Command { End, Start, Repeat, Back, Reset, FontSho, FontDai };

    struct Binding {
        int key;
        Command command;
    };

    // Searched in this order; the first match wins.
    static constexpr std::array<Binding, 12> Table = { {
        { Qt::Key_Escape, Command::End },
        { Qt::Key_F, Command::Start },
        { Qt::Key_D, Command::Repeat },
        { Qt::Key_S, Command::Back },
        { Qt::Key_R, Command::Reset },
        { Qt::Key_Space, Command::Start },
        { Qt::Key_J, Command::Start },
        { Qt::Key_K, Command::Repeat },
        { Qt::Key_L, Command::Back },
        { Qt::Key_U, Command::Reset },
        { Qt::Key_0, Command::FontSho },
        { Qt::Key_1, Command::FontDai },
    } };

    // Shift, Ctrl and Caps Lock make no difference; keypad keys have no command.
    static std::optional<Command> commandFor(int key, Qt::KeyboardModifiers modifiers);

    KeyCommands(MainWindow& window, CommandQueue& commands, ProgramExit& exit);

    void handleKey(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    // The window system's key press for the drill window itself, seen where it enters.
    bool isDrillKey(const QObject* receiver) const;
    // Anything that is part of the drill window: its own window or one of its controls.
    bool isInDrillWindow(const QObject* receiver) const;
    bool filterWhileBusy(const QObject* receiver, QEvent* event);
    void run(Command command);
    void runUnguarded(Command command);

    MainWindow& m_window;
    CommandQueue& m_commands;
    ProgramExit& m_exit;
};
