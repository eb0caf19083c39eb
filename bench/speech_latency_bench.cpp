// Prints how quickly speech starts: the time from SayNow to the first audio handed to the
// audio device, and the time espeak-ng takes to render lines of a few lengths. Run it with an
// audio service (for instance the test server of tests/speech/pulse_fixture.sh); without one
// it says so and prints the rendering figures alone.
#include "espeak_engine.h"
#include "sink_audio_output.h"
#include "voice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString lineOf(int characters)
{
    const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    QString line;
    while (line.size() < characters)
        line += words;
    return line.left(characters);
}

struct Figures {
    double median = 0;
    double worst = 0;
};

Figures summarize(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return { values[values.size() / 2], values.back() };
}

void pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void measureRendering(EspeakEngine& engine)
{
    std::printf("Rendering with espeak-ng (%d Hz), 20 runs each:\n", engine.sampleRate());
    for (int characters : { 10, 40, 100, 300, 1000 }) {
        const QString line = lineOf(characters);
        std::vector<double> millis;
        double audioSeconds = 0;
        for (int run = 0; run < 20; ++run) {
            QElapsedTimer timer;
            timer.start();
            const Pcm pcm = engine.synthesize(line, EnglishVoice::Espeak);
            millis.push_back(timer.nsecsElapsed() / 1e6);
            audioSeconds = double(pcm.samples.size()) / pcm.sampleRate;
        }
        const Figures figures = summarize(millis);
        std::printf("  %5d characters: %7.1f ms median, %7.1f ms worst, %6.1f s of speech\n",
            characters, figures.median, figures.worst, audioSeconds);
    }
    const QString huge = lineOf(5 * 1024 * 1024);
    QElapsedTimer timer;
    timer.start();
    const Pcm pcm = engine.synthesize(huge, EnglishVoice::Espeak);
    std::printf("  5 MiB single line: %.0f ms, cut at %.1f s of speech\n",
        timer.nsecsElapsed() / 1e6, double(pcm.samples.size()) / pcm.sampleRate);
}

void measureStartLatency(EspeakEngine& engine, SinkAudioOutput& output)
{
    Voice voice(engine, output);
    QElapsedTimer sinceSayNow;
    double firstFrameAt = -1;
    QObject::connect(&output, &SinkAudioOutput::firstFrameWritten,
        [&] { firstFrameAt = sinceSayNow.nsecsElapsed() / 1e6; });

    std::printf("SayNow to the first audio handed to the device, 20 presses each, 150 ms "
                "apart (each cuts off the line before):\n");
    for (int characters : { 10, 40, 100, 300 }) {
        const QString line = lineOf(characters);
        std::vector<double> millis;
        for (int press = 0; press < 20; ++press) {
            firstFrameAt = -1;
            sinceSayNow.start();
            voice.SayNow(line);
            if (firstFrameAt >= 0)
                millis.push_back(firstFrameAt);
            pause(150);
        }
        output.stop();
        if (millis.empty()) {
            std::printf("  %5d characters: no audio reached the device\n", characters);
            continue;
        }
        const Figures figures = summarize(millis);
        std::printf("  %5d characters: %7.1f ms median, %7.1f ms worst\n", characters,
            figures.median, figures.worst);
    }

    QElapsedTimer waited;
    waited.start();
    voice.SayAndWait(QStringLiteral("40 words/min"));
    std::printf("SayAndWait of \"40 words/min\" (%.2f s of speech) returned after %lld ms\n",
        double(
            engine.synthesize(QStringLiteral("40 words/min"), EnglishVoice::Espeak).samples.size())
            / engine.sampleRate(),
        waited.elapsed());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    EspeakEngine engine;
    if (!engine.isAvailable()) {
        std::printf("espeak-ng is not available: nothing to measure\n");
        return 0;
    }
    measureRendering(engine);

    SinkAudioOutput output;
    if (!output.isAvailable()) {
        std::printf("No audio device is present: start latency not measured\n");
        return 0;
    }
    measureStartLatency(engine, output);
    return 0;
}
