#pragma once

#include "pcm.h"

#include <QByteArray>

#include <deque>
#include <optional>

// What the program tells its audio helper process on the helper's standard input, and how
// the helper reads it back. The helper answers on its standard output in lines of text:
// "S <n>" once the n-th utterance sent has been started (or refused), "A <ns>" when the first
// audible sample of an utterance has gone to the device (ns on the steady clock, which all
// processes of the machine share), "H" when an utterance has been played to its end, and
// "D <n>" when everything up to the n-th utterance sent has been played or dropped.
namespace AudioHelperProtocol {

struct Command {
    enum Kind : char { Play = 'P', Stop = 'S', Volume = 'V' };
    Kind kind = Stop;
    Pcm pcm; // Play
    double gain = 1.0; // Volume
};

QByteArray encodePlay(const Pcm& pcm);
QByteArray encodeStop();
QByteArray encodeVolume(double gain);

// Takes every whole command from the front of the bytes, leaving a partial one there.
// A malformed command ends the stream: nullopt, and the helper should leave.
std::optional<std::deque<Command>> decode(QByteArray& bytes);

} // namespace AudioHelperProtocol
