#include "display_box.h"
#include "main_window.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Each menu item as "name caption", with its submenu in brackets.
QString describe(const QList<QAction*>& actions)
{
    QStringList items;
    for (const QAction* a : actions)
        items += (a->menu() ? a->menu()->objectName() : a->objectName()) + u' '
            + (a->isSeparator() ? u"-"_s : a->text())
            + (a->menu() ? u'[' + describe(a->menu()->actions()) + u']' : QString());
    return items.join(u',');
}

// Where the caption's text is drawn in the client area, as the label draws it: the ink of its
// text, centred on the label's height.
QRectF inkOf(const QLabel* label)
{
    const QFontMetricsF metrics(label->font(), label);
    const QRectF box = label->geometry();
    const double top = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    return metrics.tightBoundingRect(label->text()).translated(box.left(), top);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // A long line is shown whole, Space included; a held key (a repeated press from the window
    // system) cuts off the line before; size steps round halves to even and refuse zero.
    void keysBeyondTheTable()
    {
        WindowFixture f;
        auto* display = f.find<DisplayBox>("txtHyoji");
        const QString longLine(300, u'あ');
        f.openDrill({ longLine, u"two"_s });
        f.press(u" ");
        QCOMPARE(display->fitted().shownText(), longLine);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, u"j"_s, true);
        QCoreApplication::sendEvent(f.window.windowHandle(), &held);
        QTRY_COMPARE(f.speech.said().mid(f.speech.said().size() - 3),
            (QStringList { u"say "_s + longLine, u"stop"_s, u"say two"_s }));
        QFont font = display->font();
        font.setPointSizeF(2.5);
        display->setFont(font);
        f.press(u"0");
        QCOMPARE(f.caption("lblFontSize"), u"FontSize 1"_s);
        f.press(u"0");
        QCOMPARE(f.caption("lblFontSize") + u' ' + QString::number(display->font().pointSizeF()),
            u"FontSize 1 1"_s);
    }

    // While the program waits for the rate or the notice to be said, the screen shows it.
    void theScreenIsUpToDateWhileSpeechIsAwaited()
    {
        WindowFixture f;
        int upToDate = 0;
        f.speech.output.onWait = [&] {
            upToDate += f.window.screen()->grabWindow(f.window.winId()).toImage()
                == f.window.grab().toImage();
        };
        f.openDrill({ u"one"_s });
        f.press(u"FFF");
        QCOMPARE(upToDate, 2);
    }

    // The window covers the screen without being maximized; the greeting cuts off no speech.
    // The whole menu tree; keys typed in an open menu are the menu's. Open loads the chosen
    // file, and a cancel keeps the drill. The chosen font and colour go to the display box, not
    // to the FontSize caption. A missing editor is explained and the program goes on.
    void startsWithTheGreetingAndTheMenus()
    {
        WindowFixture f;
        QTRY_COMPARE(f.window.frameGeometry(), f.window.screen()->geometry());
        QVERIFY(!f.window.isFullScreen() && !f.window.isMaximized());
        QCOMPARE(f.seen(), u"SelectYourFile!||FontSize 100|"_s);
        // The Japanese Gothic faces, the time's of fixed pitch so that its digits do not move.
        for (const char* name : { "txtHyoji", "lblCount", "lblSeiseki", "lblFontSize" })
            QCOMPARE(QFontInfo(f.find(name)->font()).family(), u"Noto Sans CJK JP"_s);
        QCOMPARE(QFontInfo(f.window.menuBar()->font()).family(), u"Noto Sans CJK JP"_s);
        QCOMPARE(QFontInfo(f.find("lblTime")->font()).family(), u"Noto Sans Mono CJK JP"_s);
        QTRY_COMPARE(f.speech.said(), QStringList { u"say SelectYourFile!"_s });
        QCOMPARE(describe(f.window.menuBar()->actions()),
            u"mnuFile File(&F)[mnuFileOpen Open Text File(&O),mnuFileText Open \"NOTE PAD\"(&E),"
            "mnuFileProgress Progress…,mnuSaparator -,mnuEnd Exit(&X)],mnuFont Font(100P),"
            "mnuVoice Voice[mnuPause Pause,mnuGetVoice Get Voice, -,mnuVoiceMale Male (Flite),"
            "mnuVoiceFemale Female (Flite),mnuVoiceEspeak espeak-ng, -,mnuPaceSlower Slower,"
            "mnuPaceNormal Normal,mnuPaceFaster Faster],mnuVersion Version"_s);
        f.openDrill({ u"一"_s, u"二"_s });
        f.file.clear(); // cancelled
        f.trigger("mnuFileOpen");
        f.press(u"F");
        f.type(Qt::Key_V, Qt::AltModifier); // a menu open: a key the window gets is the menu's
        QTRY_VERIFY(QApplication::activePopupWidget());
        QCOMPARE(QApplication::activePopupWidget()->objectName(), u"mnuVoice"_s);
        f.type(Qt::Key_J);
        f.type(Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QCOMPARE(f.seen(), u"一|count 2|FontSize 100|"_s);
        QWidget* display = f.find("txtHyoji");
        const QFont before = display->font();
        f.trigger("mnuFont");
        QCOMPARE(display->font(), before);
        f.font = QFont(u"Noto Sans CJK JP"_s, 12, QFont::Bold);
        f.color = QColor(Qt::red);
        f.trigger("mnuFont");
        QVERIFY(display->font().pointSizeF() == 12 && display->font().bold());
        QCOMPARE(display->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(f.caption("lblFontSize"), u"FontSize 100"_s);
        f.trigger("mnuPause");
        QCOMPARE(f.speech.volume(), 0.0);
        f.trigger("mnuGetVoice");
        QCOMPARE(f.speech.volume(), 1.0);
        f.trigger("mnuVersion");
        QCOMPARE(f.shown,
            QStringList { u"VERSION:Kelvaro\r\n\r\nVersion1. (C) 2026 The Kelvaro developers"_s });
        f.editorInstalled = false;
        f.trigger("mnuFileText");
        QVERIFY(f.errors.size() == 1 && f.errors.first().contains(u"No text editor"_s));
        QCOMPARE(f.exits, 0);
    }

    // Every caption on every screen and scale: inside the window, none over another or over the
    // display box, in the order a learner knows, and the display box in its proportions with
    // the line on display whole. Where the design sizes fit, they are kept.
    void everyPartFitsEveryScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("scale");
        for (const QSize screen :
            { QSize(1024, 768), QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160) }) {
            for (const double scale : { 1.0, 1.5, 2.0 }) {
                QTest::addRow("%dx%d at %d %%", screen.width(), screen.height(), int(scale * 100))
                    << screen << scale;
            }
        }
    }

    void everyPartFitsEveryScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(double, scale);
        WindowFixture f;
        // Under desktop scaling the window has the screen's size divided by the scale.
        f.window.resize((QSizeF(screen) / scale).toSize());
        const QString sentence = u"Reading aloud every day helps you remember new words quickly."_s;
        f.openDrill({ sentence, u"二"_s });
        f.press(u"F");
        auto* display = f.find<DisplayBox>("txtHyoji");
        QWidget* client = display->parentWidget();
        QTRY_COMPARE(client->height(), f.window.height() - f.window.menuBar()->height());
        const QRectF area = client->rect();
        QCOMPARE(display->fitted().shownText(), sentence);
        QCOMPARE(f.caption("lblFontSize"), u"FontSize 100"_s); // however small the line is drawn
        QVERIFY(display->fitted().size().width() <= display->width() - 8);
        QVERIFY(display->fitted().size().height() <= display->height() - 8);

        const QRectF shown = display->geometry();
        QVERIFY(area.contains(shown));
        QVERIFY(qAbs(shown.width() / area.width() - 0.98) < 0.01);
        QVERIFY(qAbs(shown.height() / area.height() - 0.76) < 0.01);
        QVERIFY(shown.top() / area.height() < 0.03 && shown.left() / area.width() < 0.02);

        // Running: the count; finished: the time and the rate; the font size throughout. Each
        // inside the window, whole in its box, below the display box and over no other.
        const QRectF count = inkOf(f.find<QLabel>("lblCount"));
        f.press(u"FF");
        const QRectF time = inkOf(f.find<QLabel>("lblTime"));
        const QRectF rate = inkOf(f.find<QLabel>("lblSeiseki"));
        const QRectF fontSize = inkOf(f.find<QLabel>("lblFontSize"));
        const std::pair<const char*, QRectF> captions[] = { { "lblCount", count },
            { "lblTime", time }, { "lblSeiseki", rate }, { "lblFontSize", fontSize } };
        for (const auto& [label, ink] : captions) {
            const QRect box = f.find(label)->geometry();
            QVERIFY2(
                area.contains(box) && QRectF(box).contains(inkOf(f.find<QLabel>(label))), label);
            QVERIFY2(!ink.isEmpty() && area.contains(ink) && ink.top() >= shown.bottom(), label);
            for (const auto& [other, otherInk] : captions)
                QVERIFY2(label == other || !ink.intersects(otherInk), label);
        }
        QVERIFY(count.right() < time.left() && count.bottom() < fontSize.top());
        QVERIFY(time.bottom() < rate.top() && fontSize.right() < rate.left());
        QVERIFY(qAbs(time.left() - rate.left()) < time.height() / 4);

        const double captionSize = f.find<QLabel>("lblTime")->font().pointSizeF();
        if (screen.height() / scale >= 1080)
            QCOMPARE(captionSize, 50.25);
        QVERIFY(captionSize > 10);
    }

    // A .txt file dropped anywhere on the window opens as if chosen in the Open dialog;
    // anything else is refused while it is dragged, and never opened.
    void dropsOpenDrillFiles_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("opens");
        const auto file = [](const QString& path) { return QUrl::fromLocalFile(path); };
        const QUrl drill = file(u"/home/learner/drill.txt"_s);
        QTest::newRow(".txt") << QList<QUrl> { drill } << true;
        QTest::newRow(".TXT") << QList<QUrl> { file(u"/tmp/DRILL.TXT"_s) } << true;
        QTest::newRow("picture") << QList<QUrl> { file(u"/tmp/a.png"_s) } << false;
        QTest::newRow("packed drill") << QList<QUrl> { file(u"/tmp/drill.txt.zip"_s) } << false;
        QTest::newRow("no suffix") << QList<QUrl> { file(u"/tmp/txt"_s) } << false;
        QTest::newRow("web page") << QList<QUrl> { QUrl(u"https://example.org/a.txt"_s) } << false;
        QTest::newRow("two files") << QList<QUrl> { drill, drill } << false;
        QTest::newRow("plain text, no file") << QList<QUrl> {} << false;
    }

    void dropsOpenDrillFiles()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, opens);
        WindowFixture f;
        f.lines = QStringList { u"一"_s, u"二"_s, u"三"_s };
        QCOMPARE(f.drop(urls), opens ? 2 : 0);
        if (opens) {
            QTRY_COMPARE(f.readPaths, QStringList { urls.first().toLocalFile() });
            QCOMPARE(f.seen(), u"|count 3|FontSize 100|"_s);
        } else {
            QTest::qWait(50); // an open would be queued; let it run if it was
            QCOMPARE(f.readPaths, QStringList {});
            QCOMPARE(f.seen(), u"SelectYourFile!||FontSize 100|"_s);
        }
        QCOMPARE(f.errors, QStringList {});
    }

    // A screen reader hears what each part is, what it says, and what it is for. The drill
    // line is the display box's text, selected; a caption that shows nothing is not offered,
    // and the time and the rate are said in words.
    void aScreenReaderKnowsEachPart()
    {
        WindowFixture f;
        const auto part
            = [&](const char* name) { return QAccessible::queryAccessibleInterface(f.find(name)); };
        const auto named = [&](const char* name) { return part(name)->text(QAccessible::Name); };
        const auto read = [&](const char* name) {
            QAccessibleTextInterface* text = part(name)->textInterface();
            return text ? text->text(0, text->characterCount()) : u"(no text)"_s;
        };
        const auto offered = [&](const char* name) { return !part(name)->state().invisible; };
        for (const char* name : { "txtHyoji", "lblCount", "lblTime", "lblSeiseki", "lblFontSize" })
            QVERIFY2(part(name)->text(QAccessible::Description).size() > 20, name);
        QCOMPARE(named("txtHyoji"), u"Drill line"_s);
        QCOMPARE(read("txtHyoji"), u"SelectYourFile!"_s);
        QCOMPARE(named("lblFontSize"), u"Display font size: FontSize 100"_s);
        QCOMPARE(read("lblFontSize"), u"FontSize 100"_s);
        QVERIFY(!offered("lblTime") && !offered("lblSeiseki") && offered("lblFontSize"));

        f.openDrill({ u"one"_s, u"two"_s });
        QCOMPARE(read("txtHyoji"), QString());
        f.press(u"F");
        QCOMPARE(read("txtHyoji"), u"one"_s);
        int start = -1, end = -1;
        part("txtHyoji")->textInterface()->selection(0, &start, &end);
        QCOMPARE(QPoint(start, end), QPoint(0, 3));
        QCOMPARE(named("lblCount"), u"Lines left: count 2"_s);
        QCOMPARE(read("lblCount"), u"count 2"_s);
        QVERIFY(offered("lblCount"));
        QCOMPARE(named("lblTime"), u"Time taken"_s);
        QCOMPARE(named("lblSeiseki"), u"Reading rate"_s);

        f.now = f.now.addSecs(68);
        f.press(u"FJD"); // the second line, the end 70 seconds after the first, the notice
        QVERIFY(!offered("lblCount"));
        QCOMPARE(f.caption("lblTime"), u"1' 10\""_s);
        QCOMPARE(named("lblTime"), u"Time taken: 1 minute 10 seconds"_s);
        QVERIFY(offered("lblTime") && offered("lblSeiseki"));
        QCOMPARE(named("lblSeiseki"), u"Reading rate: 2 words per minute"_s);
        QCOMPARE(read("lblSeiseki"), u"2 words/min"_s);
        QCOMPARE(read("txtHyoji"), u"Reset: [R] or [U]"_s);
        f.press(u"R");
        QVERIFY(!offered("lblCount") && !offered("lblTime")); // empty until the first line
        f.press(u"F");
        QVERIFY(offered("lblCount") && !offered("lblTime"));
        f.now = f.now.addSecs(659);
        f.press(u"FF");
        QCOMPARE(named("lblTime"), u"Time taken: 11 minutes 1 second"_s);
    }

    // The Voice menu shows the English voice and the pace the program started with, each as
    // one radio item of three. A choice there speaks the next line in that voice and at that
    // pace, the line on display again when it is repeated, and leaves the drill's own timing
    // as it was.
    void voiceAndPaceChoices()
    {
        WindowFixture f(EnglishVoice::Espeak, SpeechPace::Faster);
        const auto checked = [&] {
            QStringList names;
            for (const char* name : { "mnuVoiceMale", "mnuVoiceFemale", "mnuVoiceEspeak",
                     "mnuPaceSlower", "mnuPaceNormal", "mnuPaceFaster" }) {
                if (f.find<QAction>(name)->isChecked())
                    names += QLatin1String(name);
            }
            return names.join(u' ');
        };
        QCOMPARE(checked(), u"mnuVoiceEspeak mnuPaceFaster"_s);
        f.trigger("mnuVoiceFemale");
        f.trigger("mnuPaceNormal");
        QCOMPARE(checked(), u"mnuVoiceFemale mnuPaceNormal"_s);
        QCOMPARE(f.voice.englishVoice(), EnglishVoice::Female);
        f.openDrill({ u"one"_s, u"two"_s });
        f.press(u"F");
        QTRY_VERIFY(f.speech.said().contains(u"say one"_s));
        QVERIFY(f.speech.renderings().contains(u"female:one"_s));
        f.trigger("mnuPaceSlower");
        QCOMPARE(checked(), u"mnuVoiceFemale mnuPaceSlower"_s);
        QCOMPARE(f.voice.pace(), SpeechPace::Slower);
        f.press(u"D");
        QTRY_VERIFY(f.speech.renderings().contains(u"female:slower:one"_s));
        f.trigger("mnuPaceFaster");
        f.press(u"F");
        QTRY_VERIFY(f.speech.renderings().contains(u"female:faster:two"_s));
        f.press(u"F");
        QCOMPARE(f.seen(), u"|-|FontSize 100|40 words/min"_s);
    }

    // Keys typed while the rate is being said wait until it has been said, then run in order;
    // the menu bar still opens meanwhile, and an item chosen there (Pause) runs after the keys,
    // and a file dropped then opens after that, keeping the run finished.
    void keysTypedDuringTheRateRunAfterIt()
    {
        WindowFixture f;
        const auto state = [&]() -> QString {
            return f.seen() + u'|' + QString::number(f.speech.volume()) + u'|'
                + f.readPaths.join(u',');
        };
        QString duringTheWait;
        const int waits = f.duringTheRate([&] {
            f.press(u"1D");
            QMenuBar* bar = f.window.menuBar();
            // Clicked through the window, as the window system hands a click over.
            const QPoint file
                = bar->mapTo(&f.window, bar->actionGeometry(bar->actions().first()).center());
            QTest::mouseClick(f.window.windowHandle(), Qt::LeftButton, {}, file);
            QTRY_VERIFY(QApplication::activePopupWidget());
            f.trigger("mnuPause");
            QApplication::activePopupWidget()->close();
            f.drop({ QUrl::fromLocalFile(u"/home/learner/next.txt"_s) });
            // Zero-time timers run in the order they were started: the open's came first.
            bool later = false;
            QTimer::singleShot(0, [&] { later = true; });
            QTRY_VERIFY(later);
            duringTheWait = state();
        });
        QCOMPARE(duringTheWait, u"one|count 1|FontSize 100|60 words/min|1|drill.txt"_s);
        QVERIFY(f.speech.said().contains(u"say Reset: [R] or [U]"_s));
        QCOMPARE(state(), u"|-|FontSize 101|60 words/min|0|drill.txt,/home/learner/next.txt"_s);
        QCOMPARE(waits, 2);
    }

    // Esc typed behind other keys while the rate is being said, Exit chosen or the window
    // closed then, each ends the program there and then, before any of the notices those keys
    // would give. (The fake exit returns, and the last exit records what was said by then.)
    void escBehindTypedKeysEndsAtOnce()
    {
        WindowFixture f;
        f.duringTheRate([&] {
            f.press(u"FDS");
            f.type(Qt::Key_Escape);
            f.trigger("mnuEnd");
            f.window.close();
        });
        QCOMPARE(f.exits, 3);
        QVERIFY2(!f.saidAtExit.join(u',').contains(ReadingRun::Notice),
            qPrintable(f.saidAtExit.join(u',')));
        QCOMPARE(f.saidAtExit.last(), u"wait"_s);
    }

    // Keys typed into another window, a dialog's text field, are that window's: they never
    // step the drill, also while the drill waits for speech. While a modal dialog is open, a
    // key the window system hands to the drill window anyway is blocked there.
    void keysTypedIntoAnotherWindowAreItsOwn()
    {
        WindowFixture f;
        QDialog dialog(&f.window);
        auto* field = new QLineEdit(&dialog);
        const auto typeIntoTheField = [&](const char* keys) {
            for (const char* key = keys; *key; ++key)
                QTest::keyClick(dialog.windowHandle(), *key);
        };
        f.openDrill({ u"one"_s });
        f.press(u"F");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        field->setFocus();
        typeIntoTheField("fj d");
        QCOMPARE(f.seen(), u"one|count 1|FontSize 100|"_s);

        f.speech.output.onWait = [&] { typeIntoTheField("k1"); };
        f.press(u"F"); // the rate is said
        f.speech.output.onWait = nullptr;
        QCOMPARE(field->text(), u"fj dk1"_s);
        QCOMPARE(f.seen(), u"|-|FontSize 100|60 words/min"_s);

        dialog.hide();
        dialog.setModal(true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        f.press(u"R1");
        QCOMPARE(f.seen(), u"|-|FontSize 100|60 words/min"_s);
        dialog.hide();
        f.press(u"R1");
        QCOMPARE(f.seen(), u"||FontSize 101|"_s);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
