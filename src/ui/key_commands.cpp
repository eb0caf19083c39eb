#include "key_commands.h"

#include "main_window.h"
#include "program_exit.h"
#include "reading_run.h"
#include "ui_log.h"

#include <QApplication>
#include <QKeyEvent>

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

KeyCommands::KeyCommands(MainWindow& window, ProgramExit& exit)
    : QObject(&window)
    , m_window(window)
    , m_exit(exit)
{
    // An application-wide filter sees the key before the focused control does; a read-only
    // text box would otherwise keep Space and the arrow keys to itself.
    qApp->installEventFilter(this);
}

bool KeyCommands::eventFilter(QObject* receiver, QEvent* event)
{
    if (m_busy)
        return filterWhileBusy(receiver, event);
    if (event->type() == QEvent::KeyPress && isFirstDelivery(receiver))
        handleKey(*static_cast<QKeyEvent*>(event));
    return false;
}

// A key the focused control ignores travels on to its parents, passing this filter again;
// only its first stop counts.
bool KeyCommands::isFirstDelivery(const QObject* receiver) const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == &m_window)
        return receiver == focus;
    return receiver == &m_window;
}

// Only a key press reaches the drill while a command waits; everything else the learner
// does with keyboard or mouse then is dropped, so no menu command runs inside the wait.
bool KeyCommands::filterWhileBusy(const QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (isFirstDelivery(receiver))
            handleKey(*static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

void KeyCommands::handleKey(const QKeyEvent& event)
{
    const std::optional<Command> command = commandFor(event.key(), event.modifiers());
    if (!command)
        return;
    if (m_busy) {
        if (*command == Command::End)
            m_exit.exitNow();
        else
            m_typedAhead.push_back(*command);
        return;
    }
    runGuarded(*command);
    while (!m_typedAhead.empty()) {
        const Command typed = m_typedAhead.front();
        m_typedAhead.pop_front();
        runGuarded(typed);
    }
}

void KeyCommands::runGuarded(Command command)
{
    m_busy = true;
    // The drill's commands have no error handling of their own: whatever stops one part-way
    // leaves what it did and ends the key press quietly.
    try {
        run(command);
    } catch (const std::exception& failure) {
        qCWarning(lcUi, "A key command stopped part-way: %s", failure.what());
    } catch (...) {
        qCWarning(lcUi, "A key command stopped part-way.");
    }
    m_busy = false;
}

void KeyCommands::run(Command command)
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
