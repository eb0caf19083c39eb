#pragma once

// When a part of the voice that sets up a helper or a thread of work begins. A program that
// wants its first frame on screen before the speech engine and the sound server take their
// share of the processor makes its voice with OnStart and calls start() once the frame is up;
// what is asked for meanwhile waits, and nothing is lost.
enum class SpeechStart { AtOnce, OnStart };
