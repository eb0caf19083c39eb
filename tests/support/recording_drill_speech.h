#pragma once

#include "drill_speech.h"

#include <QStringList>

// Speech for the drill that records what it was asked, in order: "stop", "say <text>" and
// "wait" in the log, and the latest hint of what is likely next apart from it.
struct RecordingDrillSpeech : DrillSpeech {
    void SayNow(const QString& text) override { log << QStringLiteral("stop") << say(text); }
    void SayAndWait(const QString& text) override
    {
        log << QStringLiteral("stop") << say(text) << QStringLiteral("wait");
    }
    void prefetch(const QStringList& texts) override { likelyNext = texts; }
    static QString say(const QString& text) { return QStringLiteral("say ") + text; }

    QStringList log;
    QStringList likelyNext;
};
