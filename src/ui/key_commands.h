#pragma once

#include <QObject>

#include <array>
#include <deque>
#include <optional>

class MainWindow;
class ProgramExit;
class QKeyEvent;

// The drill's keys, the same four commands under each hand. Every key press in the window
// comes here first, whichever control has the focus, and then goes on to that control.
// While a command waits for speech to be heard, keys typed meanwhile are kept and run in
// order afterwards, mouse and menu input is dropped, and Esc still ends the program at once.
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

    KeyCommands(MainWindow& window, ProgramExit& exit);

    void handleKey(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool isFirstDelivery(const QObject* receiver) const;
    bool filterWhileBusy(const QObject* receiver, QEvent* event);
    void runGuarded(Command command);
    void run(Command command);

    MainWindow& m_window;
    ProgramExit& m_exit;
    bool m_busy = false; // a command is running, possibly waiting with events handled
    std::deque<Command> m_typedAhead;
};
