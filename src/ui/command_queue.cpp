#include "command_queue.h"

#include "ui_log.h"

#include <exception>

void CommandQueue::run(std::function<void()> command)
{
    m_waiting.push_back(std::move(command));
    if (m_running)
        return;
    m_running = true;
    while (!m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.pop_front();
        // Commands guard their own work; whatever still escapes one ends that command only.
        try {
            next();
        } catch (const std::exception& failure) {
            qCWarning(lcUi, "A command stopped part-way: %s", failure.what());
        } catch (...) {
            qCWarning(lcUi, "A command stopped part-way.");
        }
    }
    m_running = false;
}
