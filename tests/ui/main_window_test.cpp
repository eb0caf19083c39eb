#include "ui_fakes.h"
#include "window_layout.h"

#include <QPlainTextEdit>
#include <QScreen>

#include <functional>

namespace {

// Stands in for the audio device; lets the test look at the screen while the program waits.
struct WatchingOutput : AudioOutput {
    void play(const Pcm&) override { }
    void stop() override { }
    void setVolume(double) override { }
    void waitUntilPlayed() override { onWait(); }
    std::function<void()> onWait = [] {};
};

// Whether a control, as last put on screen, has any pixel of the given colour.
bool showsColour(QWidget* control, QRgb colour)
{
    QWidget* window = control->window();
    const QPoint at = control->mapTo(window, QPoint(0, 0));
    const QImage image
        = window->screen()
              ->grabWindow(window->winId(), at.x(), at.y(), control->width(), control->height())
              .toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xffffff) == (colour & 0xffffff))
                return true;
        }
    }
    return false;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsCoveringTheScreenWithTheGreeting()
    {
        WindowFixture f;
        QCOMPARE(f.window->objectName(), QStringLiteral("Form1"));
        QTRY_COMPARE(f.window->frameGeometry(), f.window->screen()->geometry());
        QVERIFY(!f.window->isFullScreen() && !f.window->isMaximized());
        QCOMPARE(f.window->displayText(), QStringLiteral("SelectYourFile!"));
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 100"));
        // The greeting never cuts off speech: no stop before it.
        QCOMPARE(f.speech.log,
            (QStringList { QStringLiteral("volume 1"), QStringLiteral("volume 1"),
                QStringLiteral("say SelectYourFile!") }));
        QCOMPARE(QApplication::focusWidget(), f.control("txtHyoji"));
    }

    void laysTheControlsOutAtEverySize()
    {
        WindowFixture f;
        f.window->resize(640, 480);
        QWidget* client = f.window->centralWidget();
        QTRY_COMPARE(client->width(), 640);
        const double dpiX = client->logicalDpiX(), dpiY = client->logicalDpiY();
        const WindowLayout layout = layoutWindow(
            pixelsToTwips(client->width(), dpiX), pixelsToTwips(client->height(), dpiY));
        QCOMPARE(f.control("txtHyoji")->geometry(), twipsToPixels(layout.txtHyoji, dpiX, dpiY));
        // A label keeps its place and grows to show its whole caption.
        QLabel* label = f.control<QLabel>("lblFontSize");
        QCOMPARE(label->pos(), twipsToPixels(layout.lblFontSize, dpiX, dpiY).topLeft());
        QVERIFY(label->width() >= label->sizeHint().width());
    }

    void stepsTheFontSizeFromTheRoundedSize()
    {
        WindowFixture f;
        auto* display = f.control<QPlainTextEdit>("txtHyoji");
        QFont font = display->font();
        font.setPointSizeF(2.5); // halves go to the even neighbour: 2, less one
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
        bool rateShown = false, noticeShown = false;
        output.onWait = [&] {
            rateShown = showsColour(f.control("lblSeiseki"), qRgb(255, 255, 255));
            noticeShown = showsColour(f.control("txtHyoji"), qRgb(255, 255, 0));
        };
        f.openDrill({ QStringLiteral("one") });
        f.press(Qt::Key_F);
        f.now = f.now.addSecs(30);
        f.press(Qt::Key_F); // finishes and speaks the rate
        QVERIFY(rateShown);
        QVERIFY(!showsColour(f.control("txtHyoji"), qRgb(255, 255, 0)));
        f.press(Qt::Key_F); // speaks the notice
        QVERIFY(noticeShown);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
