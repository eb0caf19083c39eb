#pragma once

#include <QStringList>

class QString;

// What the drill asks of the speech: a line spoken at once, a notice spoken before the drill
// goes on, and a hint of what the learner is likely to hear next so it can be made ready.
class DrillSpeech {
public:
    virtual ~DrillSpeech() = default;
    // Cuts off any speech and starts the text in the background.
    virtual void SayNow(const QString& text) = 0;
    // Cuts off any speech, then returns once the text has been spoken.
    virtual void SayAndWait(const QString& text) = 0;
    // The texts most likely to be spoken next, the likeliest first; only a hint.
    virtual void prefetch(const QStringList& likelyNext) = 0;
};
