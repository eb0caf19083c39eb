#pragma once

#include "drill_speech.h"
#include "english_voice.h"
#include "speech_pace.h"
#include "speech_renderer.h"

class AudioOutput;
class SpeechEngine;
class QString;

// The program's one speaking voice: background speaking, blocking speaking, purge-and-stop
// and a volume from 0 to 100. Texts are rendered off the caller's thread, the likely next
// ones ahead of time, so speaking never holds up a key press. Speech failures never reach
// the caller.
class Voice : public DrillSpeech {
public:
    // How long a blocking speech waits for its text to be rendered before giving up on it.
    static constexpr int kRenderWaitMilliseconds = 10'000;

    Voice(SpeechEngine& engine, AudioOutput& output, SpeechStart start = SpeechStart::AtOnce);
    // With SpeechStart::OnStart: begins rendering what has been asked for so far.
    void start() { m_renderer.start(); }

    int volume() const { return m_volume; }
    void setVolume(int volume);

    EnglishVoice englishVoice() const { return m_englishVoice; }
    // Takes effect from the next text spoken.
    void setEnglishVoice(EnglishVoice voice) { m_englishVoice = voice; }
    SpeechPace pace() const { return m_pace; }
    // Takes effect from the next text spoken; the drill's timing stays the same.
    void setPace(SpeechPace pace) { m_pace = pace; }

    // Cuts off any speech and starts the text in the background.
    void SayNow(const QString& text) override;
    // Cuts off any speech, then returns once the text has been spoken. Events, key presses
    // included, are handled meanwhile: the caller decides what they may do.
    void SayAndWait(const QString& text) override;
    void prefetch(const QStringList& likelyNext) override;
    // Starts the text in the background after whatever is being said.
    void greet(const QString& text);
    // Stops speaking at once and drops every text still waiting to be said.
    void silence();

private:
    void waitUntilHandedOver(quint64 ticket);

    AudioOutput& m_output;
    SpeechRenderer m_renderer;
    int m_volume = 100;
    EnglishVoice m_englishVoice = DefaultEnglishVoice;
    SpeechPace m_pace = DefaultSpeechPace;
};
