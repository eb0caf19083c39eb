#include "speech_renderer.h"

#include "audio_output.h"
#include "speech_engine.h"

#include <algorithm>

SpeechRenderer::SpeechRenderer(SpeechEngine& engine, AudioOutput& output, SpeechStart start)
    : m_engine(engine)
    , m_output(output)
    , m_started(start == SpeechStart::AtOnce)
    , m_thread([this] { work(); })
{
}

SpeechRenderer::~SpeechRenderer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SpeechRenderer::start()
{
    {
        const std::lock_guard lock(m_mutex);
        m_started = true;
    }
    m_wake.notify_one();
}

void SpeechRenderer::cut()
{
    // Under the lock, so that no rendering finished on the other thread can be handed over
    // between the cut and what is said after it.
    const std::lock_guard lock(m_mutex);
    m_wanted.clear();
    m_output.stop();
}

quint64 SpeechRenderer::say(const QString& text, EnglishVoice voice, SpeechPace pace)
{
    const std::lock_guard lock(m_mutex);
    const quint64 ticket = ++m_tickets;
    m_wanted.push_back({ { text, voice, pace }, ticket });
    handOverRendered();
    if (!m_wanted.empty())
        m_wake.notify_one();
    return ticket;
}

bool SpeechRenderer::isSettled(quint64 ticket) const
{
    const std::lock_guard lock(m_mutex);
    return std::none_of(m_wanted.cbegin(), m_wanted.cend(),
        [ticket](const Wanted& wanted) { return wanted.ticket == ticket; });
}

void SpeechRenderer::prefetch(const QStringList& texts, EnglishVoice voice, SpeechPace pace)
{
    const std::lock_guard lock(m_mutex);
    m_likely.clear();
    for (const QString& text : texts) {
        if (!text.isEmpty())
            m_likely.push_back({ text, voice, pace });
    }
    m_wake.notify_one();
}

void SpeechRenderer::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        Key job;
        m_wake.wait(lock, [&] { return m_quit || (m_started && takeJob(job)); });
        if (m_quit)
            return;
        lock.unlock();
        Pcm pcm = m_engine.synthesize(job.text, job.voice, job.pace);
        lock.lock();
        keep(job, std::move(pcm));
        handOverRendered();
    }
}

bool SpeechRenderer::takeJob(Key& job)
{
    // What is waiting to be said comes first; it is never kept already (see handOverRendered).
    if (!m_wanted.empty()) {
        job = m_wanted.front().key;
        return true;
    }
    while (!m_likely.empty()) {
        job = std::move(m_likely.front());
        m_likely.pop_front();
        if (!kept(job))
            return true;
    }
    return false;
}

void SpeechRenderer::handOverRendered()
{
    while (!m_wanted.empty()) {
        const Pcm* pcm = kept(m_wanted.front().key);
        if (!pcm)
            return;
        m_output.play(*pcm);
        m_wanted.pop_front();
    }
}

const Pcm* SpeechRenderer::kept(const Key& key)
{
    const auto found = std::find_if(m_kept.begin(), m_kept.end(),
        [&](const Rendered& rendered) { return rendered.key == key; });
    if (found == m_kept.end())
        return nullptr;
    // The one used last is kept longest.
    std::rotate(found, found + 1, m_kept.end());
    return &m_kept.back().pcm;
}

void SpeechRenderer::keep(const Key& key, Pcm pcm)
{
    if (kept(key))
        return;
    if (m_kept.size() >= kKept)
        m_kept.erase(m_kept.begin());
    m_kept.push_back({ key, std::move(pcm) });
}
