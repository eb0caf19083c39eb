// Prints how long the speech helper takes to render drill lines: from the call to the first
// samples handed back and to the whole utterance, per voice, for short, medium and long
// English, Japanese and mixed lines, next to today's in-process espeak-ng "en" engine
// measured in the same run (which hands back nothing before the whole line is rendered).
#include "in_process_espeak.h"
#include "speech_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 15;

struct Line {
    const char* name;
    QString text;
};

const std::vector<Line>& lines()
{
    static const std::vector<Line> table {
        { "English short", QStringLiteral("Good morning.") },
        { "English medium", QStringLiteral("The quick brown fox jumps over the lazy dog.") },
        { "English long",
            QStringLiteral("When the learner steps onto a new line, the voice reads it at once, "
                           "and the clock keeps running until the very last line of the file "
                           "has been read aloud.") },
        { "Japanese short", QStringLiteral("おはようございます。") },
        { "Japanese medium", QStringLiteral("私はペンを持っています。") },
        { "Japanese long",
            QStringLiteral("今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます友達と"
                           "一緒に勉強しました先生はとても親切で優しい人です") },
        { "mixed short", QStringLiteral("Pen: ペン") },
        { "mixed medium", QStringLiteral("I have a pen. 私はペンを持っています。") },
        { "mixed long",
            QStringLiteral("The station is over there. 駅はあちらです。Turn left at the second "
                           "corner. 二つ目の角を左に曲がってください。") },
    };
    return table;
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

void measureService(SpeechService& service, EnglishVoice voice)
{
    for (const Line& line : lines()) {
        std::vector<double> first, whole;
        double audio = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            double firstAt = -1;
            const Pcm pcm
                = service.synthesize(line.text, voice, SpeechPace::Normal, [&](const Pcm&) {
                      if (firstAt < 0)
                          firstAt = timer.nsecsElapsed() / 1e6;
                  });
            whole.push_back(timer.nsecsElapsed() / 1e6);
            first.push_back(firstAt);
            audio = double(pcm.samples.size()) / pcm.sampleRate;
        }
        const Figures f = summarize(first), w = summarize(whole);
        std::printf("  %-10s %-16s first %7.1f / %7.1f ms   whole %7.1f / %7.1f ms   %5.2f s\n",
            qPrintable(englishVoiceName(voice)), line.name, f.median, f.worst, w.median, w.worst,
            audio);
    }
}

void measureInProcessEspeak(InProcessEspeak& engine)
{
    for (const Line& line : lines()) {
        std::vector<double> whole;
        double audio = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const Pcm pcm = engine.synthesize(line.text, EnglishVoice::Espeak, SpeechPace::Normal);
            whole.push_back(timer.nsecsElapsed() / 1e6);
            audio = double(pcm.samples.size()) / pcm.sampleRate;
        }
        const Figures w = summarize(whole);
        std::printf("  %-10s %-16s first %7.1f / %7.1f ms   whole %7.1f / %7.1f ms   %5.2f s\n",
            "today's en", line.name, w.median, w.worst, w.median, w.worst, audio);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    SpeechServiceOptions options;
    options.helperPath = QStringLiteral(KELVARO_SPEECH_HELPER);
    SpeechService service(options);

    QElapsedTimer started;
    started.start();
    service.synthesize(QStringLiteral("Ready."), EnglishVoice::Male, SpeechPace::Normal);
    std::printf("Helper start and first line: %lld ms\n", started.elapsed());
    std::printf("Median / worst of %d runs; the last column is the length of the speech.\n", Runs);

    InProcessEspeak engine;
    if (engine.isAvailable()) {
        // Interleaved with the service's figures, so both see the same load on the machine.
        std::printf("Baseline: espeak-ng \"en\" rendered in this process (the whole line):\n");
        measureInProcessEspeak(engine);
    }
    for (EnglishVoice voice : { EnglishVoice::Male, EnglishVoice::Female, EnglishVoice::Espeak }) {
        std::printf("Through the speech helper, %s voice:\n", qPrintable(englishVoiceName(voice)));
        measureService(service, voice);
    }
    if (engine.isAvailable()) {
        std::printf("Baseline again, after the helper's figures:\n");
        measureInProcessEspeak(engine);
    }
    return 0;
}
