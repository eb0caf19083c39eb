// Prints how quickly a key press is heard: the time from the press (the drill's own Start and
// Back commands, as F and S run them) to the first audible sample written to the
// audio device, per English voice, at a reading pace (a press every 0.3 s) and with a key held
// down (30 presses a second), next to the synchronous path the program used before (render on
// the caller's thread, then play in-process) in the same run. Also how long each press keeps
// the caller's thread, and how long rendering takes. Run it with an audio service, e.g. the
// test server:
//   tests/speech/pulse_fixture.sh start /tmp/kelvaro-bench
//   export XDG_RUNTIME_DIR=/tmp/kelvaro-bench/runtime
//   PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native build/ci/bench/speech_latency_bench
//   tests/speech/pulse_fixture.sh stop /tmp/kelvaro-bench
#include "background_audio_output.h"
#include "clock.h"
#include "drill_file_reader.h"
#include "drill_view.h"
#include "error_reporter.h"
#include "file_chooser.h"
#include "in_process_espeak.h"
#include "reading_run.h"
#include "sink_audio_output.h"
#include "speech_engine.h"
#include "speech_service.h"
#include "voice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

const QStringList Drill = {
    QStringLiteral("The cat sat on the mat."),
    QStringLiteral("Where is the station?"),
    QStringLiteral("I have a pen."),
    QStringLiteral("She reads a book every night before she goes to sleep."),
    QStringLiteral("Could you tell me the way to the nearest post office, please?"),
    QStringLiteral("Yes."),
    QStringLiteral("We went to the beach last summer."),
    QStringLiteral("My brother plays the guitar very well."),
    QStringLiteral("It is raining."),
    QStringLiteral("How many apples did you buy at the market this morning?"),
};

// The drill with the window's display and the desktop left out: the drill file is Drill.
struct HeadlessDrill : DrillView, Clock, DrillFileReader, FileChooser, ErrorReporter {
    void setDisplayText(const QString& text) override { display = text; }
    QString displayText() const override { return display; }
    void setCountCaption(const QString&) override { }
    bool isCountVisible() const override { return true; }
    void setCountVisible(bool) override { }
    void setTimeCaption(const QString&) override { }
    void setRateCaption(const QString&) override { }
    QString rateCaption() const override { return {}; }
    QTime timeOfDay() const override { return QTime(9, 0); }
    DrillFileContents read(const QString&, int) override { return { Drill, {} }; }
    QString chooseFileToOpen(const QString&) override { return QStringLiteral("drill.txt"); }
    void reportError(const QString&, const QString&) override { }

    QString display;
};

qint64 steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void pause(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    std::vector<double> heardMs; // press to first audible sample written, per press heard
    double worstHeardMs = 0;
    QString worstLine;
    std::vector<double> heldMs; // time the press kept the caller's thread
    int presses = 0;

    void print(const char* path, const char* voice, const char* pace) const
    {
        std::vector<double> heard = heardMs, held = heldMs;
        std::sort(heard.begin(), heard.end());
        std::sort(held.begin(), held.end());
        std::printf("  %-28s %-10s %-15s", path, voice, pace);
        if (heard.empty())
            std::printf(" nothing heard");
        else
            std::printf(" heard: median %6.2f ms, worst %6.2f ms (%zu of %d presses)",
                heard[heard.size() / 2], heard.back(), heard.size(), presses);
        std::printf(
            "; caller held: median %5.2f ms, worst %5.2f ms\n", held[held.size() / 2], held.back());
        if (!heard.empty())
            std::printf("      worst on \"%s\"\n", qUtf8Printable(worstLine));
    }

    void noteHeard(double ms, const QString& line)
    {
        heardMs.push_back(ms);
        if (ms >= worstHeardMs) {
            worstHeardMs = ms;
            worstLine = line;
        }
    }
};

// The program's path: the drill's commands, the voice rendering off the caller's thread and
// ahead of time, and the audio helper. The presses step through the drill and back again.
Figures pressesThroughDrill(
    SpeechEngine& engine, BackgroundAudioOutput& output, EnglishVoice english, int intervalMs)
{
    Voice voice(engine, output);
    voice.setEnglishVoice(english);
    HeadlessDrill drill;
    ReadingRun run(drill, voice, drill, drill, drill, drill);
    run.Open();
    std::atomic<qint64> firstAudible = 0;
    const auto connection = QObject::connect(
        &output, &BackgroundAudioOutput::firstAudibleWritten, &output,
        [&](qint64 at) { firstAudible = at; }, Qt::DirectConnection);
    Figures figures;
    pause(500);
    const int presses = intervalMs >= 300 ? 20 : 60;
    const int lines = int(Drill.size());
    for (int press = 0; press < presses; ++press) {
        firstAudible = 0;
        const qint64 pressed = steadyNow();
        // Forward through the drill, then back to its start, and so on.
        if ((press / (lines - 1)) % 2 == 0 || run.state().CurrentIndex <= 1)
            run.Start();
        else
            run.Back();
        figures.heldMs.push_back((steadyNow() - pressed) / 1e6);
        pause(intervalMs);
        if (firstAudible > 0)
            figures.noteHeard((firstAudible - pressed) / 1e6, drill.display);
        ++figures.presses;
    }
    voice.Speak(QString(), Voice::SVSFPurgeBeforeSpeak);
    pause(300);
    QObject::disconnect(connection);
    return figures;
}

// The path before: render on the caller's thread, then play on an in-process sink.
Figures pressesThroughSynchronousPath(SpeechEngine& engine, int intervalMs)
{
    SinkAudioOutput output;
    qint64 firstAudible = 0;
    QObject::connect(
        &output, &SinkAudioOutput::firstAudibleWritten, [&] { firstAudible = steadyNow(); });
    Figures figures;
    const int presses = intervalMs >= 300 ? 20 : 60;
    for (int press = 0; press < presses; ++press) {
        const int line = press % int(Drill.size());
        firstAudible = 0;
        const qint64 pressed = steadyNow();
        output.stop();
        output.play(engine.synthesize(Drill[line], EnglishVoice::Espeak, SpeechPace::Normal));
        figures.heldMs.push_back((steadyNow() - pressed) / 1e6);
        pause(intervalMs);
        if (firstAudible > 0)
            figures.noteHeard((firstAudible - pressed) / 1e6, Drill[line]);
        ++figures.presses;
    }
    output.stop();
    return figures;
}

void measureRendering(SpeechEngine& engine, EnglishVoice english, const char* name)
{
    std::vector<double> millis;
    for (const QString& line : Drill) {
        QElapsedTimer timer;
        timer.start();
        engine.synthesize(line, english, SpeechPace::Normal);
        millis.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(millis.begin(), millis.end());
    std::printf("  %-10s rendering a drill line: median %6.2f ms, worst %6.2f ms\n", name,
        millis[millis.size() / 2], millis.back());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    InProcessEspeak espeak;
    if (!espeak.isAvailable()) {
        std::printf("espeak-ng is not available: nothing to measure\n");
        return 0;
    }
    // The voices as the program speaks them: through the speech helper, built beside it.
    SpeechServiceOptions options;
    options.helperPath
        = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kelvaro-speech");
    SpeechService service(options);
    SpeechEngine& engine = service;
    const std::vector<std::pair<EnglishVoice, const char*>> voices
        = { { EnglishVoice::Male, "male" }, { EnglishVoice::Female, "female" },
              { EnglishVoice::Espeak, "espeak-ng" } };

    std::printf("Rendering (the speech helper; the in-process engine used before):\n");
    for (const auto& [english, name] : voices)
        measureRendering(engine, english, name);
    measureRendering(espeak, EnglishVoice::Espeak, "before");

    BackgroundAudioOutput output(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kelvaro-audio"));
    std::printf("Key to first audible sample written to the audio device (%zu drill lines):\n",
        size_t(Drill.size()));
    for (const int interval : { 300, 33 }) {
        const char* pace = interval >= 300 ? "every 0.3 s" : "held, 30/s";
        pressesThroughSynchronousPath(espeak, interval)
            .print("before: synchronous", "espeak-ng", pace);
        for (const auto& [english, name] : voices)
            pressesThroughDrill(engine, output, english, interval)
                .print("now: rendered ahead, helper", name, pace);
    }
    return 0;
}
