#pragma once

#include "helper_protocol.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The helper's end of the socket to the program: requests in on standard input, frames out
// on standard output. Any failure means the program has gone, so the helper ends.
class HelperChannel {
public:
    struct Request {
        EnglishVoice voice = DefaultEnglishVoice;
        SpeechPace pace = DefaultSpeechPace;
        QString text;
    };

    // The next request, or none when the program has closed the socket.
    std::optional<Request> nextRequest();

    bool sendReady(const QByteArray& warnings);
    bool sendBegin(int sampleRate);
    bool sendSamples(const QList<qint16>& samples);
    bool sendEnd();

private:
    bool sendFrame(
        HelperProtocol::FrameKind kind, std::uint32_t value, const void* data, std::size_t bytes);
};
