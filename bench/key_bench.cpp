// Prints how long the window takes from a key press to repainted pixels for the font keys 1
// and 0, the repeat key D and the step key F, on an ordinary drill line, on a 100,000-character
// line of x's and on a 10 MiB line of x's, beside a bare window's repaint as the baseline.
// Speech is silent here so that only the window's own work is measured.
// Run it as: QT_QPA_PLATFORM=offscreen build/ci/bench/key_bench [part of a line's name] [WxH]
#include "fake_window_services.h"
#include "main_window.h"
#include "speech_engine.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct SilentEngine : SpeechEngine {
    Pcm synthesize(const QString&, EnglishVoice, SpeechPace) override { return {}; }
};

QSize ScreenSize(1366, 768);

// Handles everything posted, the repaint included, so the pixels are on the backing store.
void paintPending()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

struct Figures {
    qint64 median = 0;
    qint64 max = 0;
};

Figures summarise(std::vector<qint64> micros)
{
    std::sort(micros.begin(), micros.end());
    return { micros[micros.size() / 2], micros.back() };
}

Figures bareWindow(int repeats)
{
    QWidget window;
    window.resize(ScreenSize);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("the bare window was not shown");
    std::vector<qint64> micros;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.update();
        paintPending();
        micros.push_back(timer.nsecsElapsed() / 1000);
    }
    return summarise(micros);
}

// The line as the drill shows it; each copy differs so that stepping shows a new line.
QStringList distinctLines(const QString& line, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        QString copy = line;
        if (!copy.isEmpty())
            copy[copy.size() - 1] = QChar(u'a' + i % 26);
        lines += copy;
    }
    return lines;
}

Figures keyOnLine(const QString& line, Qt::Key key, int repeats)
{
    FakeWindowServices services;
    SilentEngine engine;
    Voice voice(engine, services.speech.output);
    MainWindow window(services.services(voice));
    window.resize(ScreenSize);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qFatal("the window was not shown and made active");
    services.lines = distinctLines(line, repeats + 2);
    window.findChild<QAction*>(QStringLiteral("mnuFileOpen"))->trigger();
    // Keys enter through the window, as the window system hands them over.
    QWindow* keys = window.windowHandle();
    QTest::keyClick(keys, Qt::Key_F);
    paintPending();
    const auto seen = [&]() -> QString {
        return window.displayText()
            + window.findChild<QLabel*>(QStringLiteral("lblFontSize"))->text()
            + QString::number(services.speech.said().size());
    };
    const QString before = seen();

    std::vector<qint64> micros;
    for (int i = 0; i < repeats; ++i) {
        // 1 and 0 take turns so the size stays where the learner would have it.
        const Qt::Key pressed = (key == Qt::Key_1 && i % 2) ? Qt::Key_0 : key;
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(keys, pressed);
        paintPending();
        micros.push_back(timer.nsecsElapsed() / 1000);
        // A bench whose keys went nowhere would time nothing.
        if (i == 0 && seen() == before)
            qFatal("the first key changed nothing on the window");
    }
    return summarise(micros);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString ordinary
        = QStringLiteral("Reading aloud every day helps you remember new words quickly.");
    const struct {
        const char* name;
        QString line;
        int repeats;
    } lines[] = {
        { "ordinary line (62 chars)", ordinary, 20 },
        { "100,000 x's", QString(100'000, u'x'), 6 },
        { "10 MiB of x's", QString(10 * 1024 * 1024, u'x'), 4 },
    };
    const struct {
        const char* name;
        Qt::Key key;
    } keys[] = { { "1/0", Qt::Key_1 }, { "D", Qt::Key_D }, { "F", Qt::Key_F } };

    if (argc > 2) {
        const QStringList size = QString::fromLocal8Bit(argv[2]).split(u'x');
        if (size.size() == 2)
            ScreenSize = QSize(size[0].toInt(), size[1].toInt());
    }
    const Figures bare = bareWindow(50);
    std::printf("screen %dx%d, platform %s\n", ScreenSize.width(), ScreenSize.height(),
        qPrintable(QGuiApplication::platformName()));
    std::printf("%-28s %-4s %12s %12s\n", "line", "key", "median us", "max us");
    std::printf("%-28s %-4s %12lld %12lld\n", "bare window repaint", "-", bare.median, bare.max);
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const auto& l : lines) {
        if (!QString::fromLatin1(l.name).contains(only))
            continue;
        for (const auto& k : keys) {
            const Figures f = keyOnLine(l.line, k.key, l.repeats);
            std::printf("%-28s %-4s %12lld %12lld\n", l.name, k.name, f.median, f.max);
            std::fflush(stdout);
        }
    }
    return 0;
}
