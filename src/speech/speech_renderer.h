#pragma once

#include "english_voice.h"
#include "pcm.h"
#include "speech_pace.h"
#include "speech_start.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class AudioOutput;
class SpeechEngine;

// Renders speech on a thread of its own and hands it to the audio output, so that a slow
// engine never holds up a key press. What the learner is likely to hear next is rendered
// ahead and kept, so that most lines start playing the moment they are asked for. A rendering
// that finishes after its text was cut off is kept for later but never played.
class SpeechRenderer {
public:
    // Rendered texts kept for saying again: enough for the lines around the one on display,
    // the notice and the rate.
    static constexpr int kKept = 8;

    SpeechRenderer(
        SpeechEngine& engine, AudioOutput& output, SpeechStart start = SpeechStart::AtOnce);
    ~SpeechRenderer();

    // Begins rendering what has been asked for so far and everything after.
    void start();

    // Silences the output and drops every text still waiting to be played.
    void cut();
    // Plays the text after whatever is queued, as soon as it has been rendered. Returns a
    // ticket for isSettled().
    quint64 say(const QString& text, EnglishVoice voice, SpeechPace pace);
    // The ticket's text has been handed to the output, or cut off, or rendered to nothing.
    bool isSettled(quint64 ticket) const;
    // Renders these texts when nothing is waiting to be said, the first first. Replaces the
    // texts of the hint before.
    void prefetch(const QStringList& texts, EnglishVoice voice, SpeechPace pace);

private:
    struct Key {
        QString text;
        EnglishVoice voice;
        SpeechPace pace;
        bool operator==(const Key&) const = default;
    };
    struct Rendered {
        Key key;
        Pcm pcm;
    };
    struct Wanted {
        Key key;
        quint64 ticket;
    };

    void work();
    // Under the lock: the next text to render, if any.
    bool takeJob(Key& job);
    // Under the lock: plays the waiting texts from the front that have been rendered.
    void handOverRendered();
    const Pcm* kept(const Key& key);
    void keep(const Key& key, Pcm pcm);

    SpeechEngine& m_engine;
    AudioOutput& m_output;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Wanted> m_wanted; // to be played in this order
    std::deque<Key> m_likely; // to be rendered ahead
    std::vector<Rendered> m_kept; // most recently used last
    quint64 m_tickets = 0;
    bool m_started = false;
    bool m_quit = false;
    std::thread m_thread; // started last, after everything it uses
};
