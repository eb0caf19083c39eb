#pragma once

#include "english_voice.h"

class AudioOutput;
class SpeechEngine;
class QString;

// The program's one speaking voice: background speaking, blocking speaking, purge-and-stop
// and a volume from 0 to 100. Speech failures never reach the caller.
class Voice {
public:
    enum SpeakFlags {
        SVSFDefault = 0, // return only when the text has been spoken
        SVSFlagsAsync = 1, // return at once, speak in the background
        SVSFPurgeBeforeSpeak = 2, // with a null text: stop speaking and drop the queue
    };

    Voice(SpeechEngine& engine, AudioOutput& output);

    int volume() const { return m_volume; }
    void setVolume(int volume);

    EnglishVoice englishVoice() const { return m_englishVoice; }
    // Takes effect from the next text spoken.
    void setEnglishVoice(EnglishVoice voice) { m_englishVoice = voice; }

    void Speak(const QString& text, int flags);

    // Cuts off any speech and starts the text in the background.
    void SayNow(const QString& text);
    // Cuts off any speech, then returns once the text has been spoken.
    void SayAndWait(const QString& text);
    // Starts the text in the background after whatever is being said.
    void greet(const QString& text);

private:
    SpeechEngine& m_engine;
    AudioOutput& m_output;
    int m_volume = 100;
    EnglishVoice m_englishVoice = DefaultEnglishVoice;
};
