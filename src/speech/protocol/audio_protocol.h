#pragma once

#include "frame.h"
#include "pcm.h"

#include <QByteArray>

// How the program talks to its audio helper (kelvaro-audio) over one stream socket, in
// frames (frame.h). The program sends each utterance as Begin (the sample rate), Samples
// frames and End, and Stop and Volume whenever; the helper answers Taken once it has read an
// utterance whole, Drained whenever everything it has been sent is played or dropped, Played
// when an utterance was heard to its end, Trouble when sound cannot be heard and why,
// Underflows when its count grows, and Note with whatever the sound library wrote on its own
// and with what the helper did to get a line heard (a line written again to a new stream).
namespace AudioProtocol {

// Each utterance counts from 1 on, from the helper's start.
QByteArray encodeUtterance(const Pcm& pcm);
// The samples alone, in as many frames as they need: the middle of an utterance.
QByteArray encodeSamples(const Pcm& pcm);
QByteArray encodeStop();
// The gain from 0.0 (silent) to 1.0, in thousandths.
QByteArray encodeVolume(double gain);
double gainOf(std::uint32_t thousandths);

} // namespace AudioProtocol
