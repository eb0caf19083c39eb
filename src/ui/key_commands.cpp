#include "key_commands.h"

#include "command_queue.h"
#include "main_window.h"
#include "program_exit.h"
#include "reading_run.h"
#include "ui_log.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWindow>

#include <exception>

std::optional<KeyCommands::Command> KeyCommands::commandFor(
    int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier))
        return std::nullopt;
    for (const Binding& binding : Table) {
        if (binding.key == key)
            return binding.command;
    }
    return std::nullopt;
}

KeyCommands::KeyCommands(MainWindow& window, CommandQueue& commands, ProgramExit& exit)
    : QObject(&window)
    , m_window(window)
    , m_commands(commands)
    , m_exit(exit)
{
    // An application-wide filter sees the key where it enters the window, before the focused
    // control does; a control could otherwise keep Space and the arrow keys to itself.
    qApp->installEventFilter(this);
}

bool KeyCommands::eventFilter(QObject* receiver, QEvent* event)
{
    if (m_commands.isRunning())
        return filterWhileBusy(receiver, event);
    if (event->type() == QEvent::KeyPress && isDrillKey(receiver))
        handleKey(*static_cast<QKeyEvent*>(event));
    return false;
}

// A key press enters a window once, at its QWindow, and is then handed on to the focused
// control and, if ignored, to its parents: only that entry counts. A key meant for an open
// menu passes the drill window's entry too, and is the menu's. (While a modal box is open,
// Qt hands the drill window no keys at all.)
bool KeyCommands::isDrillKey(const QObject* receiver) const
{
    const QWindow* window = m_window.windowHandle();
    if (!window || receiver != window)
        return false;
    return !QApplication::activePopupWidget() && !QWidget::keyboardGrabber();
}

bool KeyCommands::isInDrillWindow(const QObject* receiver) const
{
    if (receiver->isWindowType())
        return receiver == m_window.windowHandle();
    if (receiver->isWidgetType())
        return static_cast<const QWidget*>(receiver)->window() == &m_window;
    return false;
}

// While a command waits, a key press for the drill window is taken here and goes no further,
// and the window's controls take no clicks or wheel: only the menu bar stays open, as its
// commands wait their turn (Exit excepted). Other windows, a box the command shows among
// them, are left alone.
bool KeyCommands::filterWhileBusy(const QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (isDrillKey(receiver)) {
            handleKey(*static_cast<QKeyEvent*>(event));
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        // Seen by each control in turn: the menu bar's own clicks pass.
        return receiver->isWidgetType() && isInDrillWindow(receiver)
            && !qobject_cast<const QMenuBar*>(receiver);
    default:
        return false;
    }
}

void KeyCommands::handleKey(const QKeyEvent& event)
{
    const std::optional<Command> command = commandFor(event.key(), event.modifiers());
    if (!command)
        return;
    if (*command == Command::End)
        m_exit.exitNow();
    else
        m_commands.run([this, step = *command] { run(step); });
}

void KeyCommands::run(Command command)
{
    // The drill's commands have no error handling of their own: whatever stops one part-way
    // leaves what it did and ends the key press quietly.
    try {
        runUnguarded(command);
    } catch (const std::exception& failure) {
        qCWarning(lcUi, "A key command stopped part-way: %s", failure.what());
    } catch (...) {
        qCWarning(lcUi, "A key command stopped part-way.");
    }
}

void KeyCommands::runUnguarded(Command command)
{
    ReadingRun& drill = m_window.run();
    switch (command) {
    case Command::End:
        m_exit.exitNow();
        return;
    case Command::Start:
        drill.Start();
        return;
    case Command::Repeat:
        drill.Repeat();
        return;
    case Command::Back:
        drill.Back();
        return;
    case Command::Reset:
        drill.Reset();
        return;
    case Command::FontSho:
        m_window.FontSho();
        return;
    case Command::FontDai:
        m_window.FontDai();
        return;
    }
}
