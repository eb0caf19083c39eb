#include "ui_fakes.h"
#include "window_layout.h"

#include <QPlainTextEdit>
#include <QScreen>

#include <functional>

namespace {

// Stands in for the audio device and lets the test look at the screen while the program
// waits for speech to be heard.
struct WatchingOutput : AudioOutput {
    void play(const Pcm&) override { }
    void stop() override { }
    void setVolume(double) override { }
    void waitUntilPlayed() override { onWait(); }
    std::function<void()> onWait = [] {};
};

// How many pixels of a control, as last put on screen, match a colour test.
int pixelsOnScreen(QWidget* control, const std::function<bool(QRgb)>& matches)
{
    QWidget* window = control->window();
    const QPoint at = control->mapTo(window, QPoint(0, 0));
    const QImage image
        = window->screen()
              ->grabWindow(window->winId(), at.x(), at.y(), control->width(), control->height())
              .toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += matches(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

bool isYellow(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) < 100;
}
bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) > 200;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsCoveringTheScreenWithTheGreeting()
    {
        WindowFixture f;
        MainWindow& window = *f.window;
        QCOMPARE(window.objectName(), QStringLiteral("Form1"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Kelvaro"));
        QVERIFY(!window.windowIcon().isNull());
        QTRY_COMPARE(window.frameGeometry(), window.screen()->geometry());
        QVERIFY(!window.isFullScreen() && !window.isMaximized());

        QCOMPARE(window.displayText(), QStringLiteral("SelectYourFile!"));
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 100"));
        // The greeting is queued behind whatever is being said, never cutting it off.
        QCOMPARE(f.speech.log.filter(QStringLiteral("stop")), QStringList());
        QCOMPARE(f.speech.spoken(), QStringList { QStringLiteral("SelectYourFile!") });
        QCOMPARE(f.voice.volume(), 100);
        QCOMPARE(QApplication::focusWidget(), f.control("txtHyoji"));
    }

    void laysTheControlsOutInProportion()
    {
        WindowFixture f;
        f.window->resize(800, 600);
        QWidget* client = f.window->centralWidget();
        QTRY_COMPARE(client->size().width(), 800);
        const double dpiX = client->logicalDpiX();
        const double dpiY = client->logicalDpiY();
        const WindowLayout layout = layoutWindow(
            pixelsToTwips(client->width(), dpiX), pixelsToTwips(client->height(), dpiY));
        QCOMPARE(f.control("txtHyoji")->geometry(), twipsToPixels(layout.txtHyoji, dpiX, dpiY));
        // A label keeps its place and grows to show its whole caption.
        QLabel* fontSize = f.control<QLabel>("lblFontSize");
        QCOMPARE(fontSize->pos(), twipsToPixels(layout.lblFontSize, dpiX, dpiY).topLeft());
        QVERIFY(fontSize->width() >= fontSize->sizeHint().width());
    }

    void rendersJapaneseFaces()
    {
        WindowFixture f;
        const QFont display = f.control("txtHyoji")->font();
        QVERIFY(display.families().contains(QStringLiteral("Noto Sans CJK JP")));
        QCOMPARE(display.pointSizeF(), 99.75);
        QVERIFY(f.control("lblTime")->font().families().contains(
            QStringLiteral("Noto Sans Mono CJK JP")));
    }

    void stepsTheFontSizeFromTheRoundedSize()
    {
        WindowFixture f;
        auto* display = f.control<QPlainTextEdit>("txtHyoji");
        for (const int expected : { 101, 102, 103 }) {
            QCOMPARE(f.window->FontDai(), ReadingRun::Outcome::Done);
            QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize %1").arg(expected));
            QCOMPARE(display->font().pointSizeF(), double(expected));
        }
        QFont font = display->font();
        font.setPointSizeF(2.5); // halves go to the even neighbour: 2, then 1
        display->setFont(font);
        QCOMPARE(f.window->FontSho(), ReadingRun::Outcome::Done);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 1"));
        // Zero points is refused: font and caption stay as they were.
        QCOMPARE(f.window->FontSho(), ReadingRun::Outcome::Abandoned);
        QCOMPARE(display->font().pointSizeF(), 1.0);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 1"));
    }

    void showsWhatIsSaidWhileWaitingForSpeech()
    {
        WatchingOutput output;
        WindowFixture f(&output);
        QStringList seen;
        output.onWait = [&] {
            if (pixelsOnScreen(f.control("lblSeiseki"), isWhite) > 0)
                seen.append(QStringLiteral("rate"));
            if (pixelsOnScreen(f.control("txtHyoji"), isYellow) > 0)
                seen.append(QStringLiteral("display"));
        };
        f.openDrill({ QStringLiteral("one") });
        f.press(Qt::Key_F);
        f.clock.now = f.clock.now.addSecs(30);
        f.press(Qt::Key_F); // finishes: the rate is on screen while it is spoken
        QVERIFY(seen.contains(QStringLiteral("rate")));
        QCOMPARE(pixelsOnScreen(f.control("txtHyoji"), isYellow), 0);
        seen.clear();
        f.press(Qt::Key_F); // the notice is on screen while it is spoken
        QVERIFY(seen.contains(QStringLiteral("display")));
    }

    void closingTheWindowEndsTheProgram()
    {
        WindowFixture f;
        f.window->close();
        QCOMPARE(f.exit.exits, 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
