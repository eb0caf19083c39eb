#include "clock.h"
#include "drill_file_reader.h"
#include "editor_launcher.h"
#include "file_chooser.h"
#include "font_chooser.h"
#include "main_window.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "recording_speech.h"
#include "voice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What the desktop provides: dialogs, message boxes and a text editor.
struct Desktop : FileChooser, FontChooser, EditorLauncher, MessageBoxes { };

// The real window with every outside effect recorded, or answered as the test sets it.
struct WindowFixture : ProgramExit, Clock, DrillFileReader, Desktop {
    void exitNow() override
    {
        ++exits;
        saidAtExit = speech.said();
    }
    QTime timeOfDay() const override { return now; }
    DrillFileContents read(const QString&, int) override { return { lines, {} }; }
    QString chooseFileToOpen(const QString&) override { return file; }
    std::optional<QFont> chooseFont() override { return font; }
    std::optional<QColor> chooseColor() override { return color; }
    bool startEditor() override { return editorInstalled; }
    void reportError(const QString& t, const QString& m) override { errors += t + u':' + m; }
    void showInformation(const QString& t, const QString& m) override { shown += t + u':' + m; }

    int exits = 0;
    bool editorInstalled = true;
    QTime now { 9, 0, 0 };
    QString file = u"drill.txt"_s;
    QStringList lines, errors, shown, saidAtExit;
    std::optional<QFont> font;
    std::optional<QColor> color;
    RecordingSpeech speech;
    Voice voice { speech.engine, speech.output };
    // The voice a learner chose on the command line, set before the window is made.
    struct StartedAs {
        StartedAs(Voice& voice, EnglishVoice english) { voice.setEnglishVoice(english); }
    } startedAs;
    MainWindow window { WindowServices { voice, *this, *this, *this, *this, *this, *this, *this } };

    explicit WindowFixture(EnglishVoice englishVoice = DefaultEnglishVoice)
        : startedAs(voice, englishVoice)
    {
        window.showOnScreen();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    template <typename Object = QWidget> Object* find(const char* name)
    {
        return window.findChild<Object*>(QLatin1String(name));
    }
    QString caption(const char* label) { return find<QLabel>(label)->text(); }
    void trigger(const char* menuItem) { find<QAction>(menuItem)->trigger(); }
    void openDrill(const QStringList& drill) { lines = drill, trigger("mnuFileOpen"); }

    // What the learner sees: the display, the count ("-" when hidden), the font size, the rate.
    QString seen()
    {
        const QString count = window.isCountVisible() ? caption("lblCount") : u"-"_s;
        return window.displayText() + u'|' + count + u'|' + caption("lblFontSize") + u'|'
            + caption("lblSeiseki");
    }

    // Presses each key in turn on whatever has the focus, a second after the one before.
    void press(QStringView keys, Qt::KeyboardModifiers modifiers = {})
    {
        for (const QChar key : keys) {
            now = now.addSecs(1);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key.unicode()), modifiers);
        }
    }
};

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

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // The window covers the screen without being maximized; the greeting cuts off no speech.
    void startsCoveringTheScreenWithTheGreeting()
    {
        WindowFixture f;
        QTRY_COMPARE(f.window.frameGeometry(), f.window.screen()->geometry());
        QVERIFY(!f.window.isFullScreen() && !f.window.isMaximized());
        QCOMPARE(f.seen(), u"SelectYourFile!||FontSize 100|"_s);
        QTRY_COMPARE(f.speech.said(), QStringList { u"say SelectYourFile!"_s });
    }

    // The same commands under each hand, typed on a five-line drill with the modifiers held.
    void bothHandsDriveTheDrill_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("seen");
        const auto row = [](const char* name, const char* keys, int mods, const char* seen) {
            QTest::newRow(name) << QString::fromLatin1(keys) << mods << QString::fromUtf8(seen);
        };
        row("F, J and Space", "FJ ", 0, "さん|count 3|FontSize 100|");
        row("Shift+F", "FFF", Qt::ShiftModifier, "さん|count 3|FontSize 100|");
        row("Ctrl+J", "JJJ", Qt::ControlModifier, "さん|count 3|FontSize 100|");
        row("D", "FFD", 0, "に|count 4|FontSize 100|");
        row("K", "FFK", 0, "に|count 4|FontSize 100|");
        row("S and L", "FFFSL", 0, "いち|count 5|FontSize 100|");
        row("R", "FFR", 0, "||FontSize 100|");
        row("1 from 99.75 pt", "FF1", 0, "に|count 4|FontSize 101|");
        row("0", "FF0", 0, "に|count 4|FontSize 99|");
        row("keypad 1", "1", Qt::KeypadModifier, "|count 5|FontSize 100|");
        row("finish", "FFFFFF", 0, "|-|FontSize 100|60 words/min");
        row("notice once finished", "FFFFFFJ", 0, "Reset: [R] or [U]|-|FontSize 100|60 words/min");
        row("reset once finished", "FFFFFFUF", 0, "いち|count 5|FontSize 100|");
    }

    void bothHandsDriveTheDrill()
    {
        QFETCH(QString, keys);
        QFETCH(int, modifiers);
        WindowFixture f;
        f.openDrill({ u"いち"_s, u"に"_s, u"さん"_s, u"し"_s, u"ご"_s });
        f.press(keys, Qt::KeyboardModifiers(modifiers));
        QTEST(f.seen(), "seen");
    }

    // A long line never scrolls away; a held key repeats, cutting off the line before; size
    // steps round halves to even and refuse zero; every way out ends the program at once.
    void keysBeyondTheTable()
    {
        WindowFixture f;
        auto* display = f.find<QPlainTextEdit>("txtHyoji");
        const QString longLine(300, u'あ');
        f.openDrill({ longLine, u"two"_s });
        f.press(u" ");
        QCOMPARE(display->verticalScrollBar()->value(), 0);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, u"j"_s, true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
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
        QTest::keyClick(display, Qt::Key_Escape);
        f.trigger("mnuEnd");
        f.window.close();
        QCOMPARE(f.exits, 3);
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

    // The whole menu tree. Open loads the chosen file, and a cancel keeps the drill. The chosen
    // font and colour go to the display box, not to the FontSize caption. A missing editor is
    // explained and the program goes on.
    void menuCommands()
    {
        WindowFixture f;
        QCOMPARE(describe(f.window.menuBar()->actions()),
            u"mnuFile File(&F)[mnuFileOpen Open Text File(&O),mnuFileText Open \"NOTE PAD\"(&E),"
            "mnuSaparator -,mnuEnd Exit(&X)],mnuFont Font(100P),"
            "mnuVoice Voice[mnuPause Pause,mnuGetVoice Get Voice, -,mnuVoiceMale Male (Flite),"
            "mnuVoiceFemale Female (Flite),mnuVoiceEspeak espeak-ng],mnuVersion Version"_s);
        QCOMPARE(f.find<QAction>("mnuFileOpen")->shortcut(), QKeySequence(u"Ctrl+O"_s));
        f.openDrill({ u"一"_s, u"二"_s });
        f.file.clear(); // cancelled
        f.trigger("mnuFileOpen");
        f.press(u"F");
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

    // The Voice menu shows the English voice the program started with, as one radio item of
    // three, and a choice there speaks the next line in that voice.
    void englishVoiceChoice()
    {
        WindowFixture f(EnglishVoice::Espeak);
        const auto checked = [&] {
            QStringList names;
            for (const char* name : { "mnuVoiceMale", "mnuVoiceFemale", "mnuVoiceEspeak" }) {
                if (f.find<QAction>(name)->isChecked())
                    names += QLatin1String(name);
            }
            return names;
        };
        QCOMPARE(checked(), QStringList { u"mnuVoiceEspeak"_s });
        f.trigger("mnuVoiceFemale");
        QCOMPARE(checked(), QStringList { u"mnuVoiceFemale"_s });
        QCOMPARE(f.voice.englishVoice(), EnglishVoice::Female);
        f.openDrill({ u"one"_s });
        f.press(u"F");
        QTRY_VERIFY(f.speech.renderings().contains(u"female:one"_s));
    }

    // Keys typed while the rate is being said wait until it has been said, then run in order;
    // a click on the menu bar meanwhile does nothing.
    void keysTypedDuringTheRateRunAfterIt()
    {
        WindowFixture f;
        QString seenDuringTheWait;
        int waits = 0;
        f.speech.output.onWait = [&] {
            if (waits++ > 0)
                return;
            f.press(u"1D");
            QTest::mouseClick(f.window.menuBar(), Qt::LeftButton, {},
                f.window.menuBar()->actionGeometry(f.window.menuBar()->actions().first()).center());
            seenDuringTheWait = f.seen();
        };
        f.openDrill({ u"one"_s });
        f.press(u"FF");
        QCOMPARE(seenDuringTheWait, u"one|count 1|FontSize 100|60 words/min"_s);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(f.seen(), u"Reset: [R] or [U]|-|FontSize 101|60 words/min"_s);
        QCOMPARE(waits, 2);
    }

    // Esc typed behind other keys while the rate is being said ends the program there and then,
    // before any of the notices those keys would give.
    void escBehindTypedKeysEndsAtOnce()
    {
        WindowFixture f;
        int waits = 0;
        f.speech.output.onWait = [&] {
            if (waits++ > 0)
                return;
            f.press(u"FDS");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        };
        f.openDrill({ u"one"_s });
        f.press(u"FF");
        QCOMPARE(f.exits, 1);
        QVERIFY2(!f.saidAtExit.join(u',').contains(ReadingRun::Notice),
            qPrintable(f.saidAtExit.join(u',')));
        QCOMPARE(f.saidAtExit.last(), u"wait"_s);
    }

    // A key held down (30 presses a second) on an engine ten times slower than that: every
    // press moves on at once, and the line finally shown is the one heard.
    void aHeldKeyNeverWaitsForSpeech()
    {
        WindowFixture f;
        f.speech.engine.renderTime = std::chrono::milliseconds(300);
        QStringList drill;
        for (int n = 1; n <= 40; ++n)
            drill += u"line %1"_s.arg(n);
        f.openDrill(drill);
        qint64 busy = 0;
        for (int press = 0; press < 30; ++press) {
            QElapsedTimer handling;
            handling.start();
            QKeyEvent held(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, u"j"_s, press > 0);
            QApplication::sendEvent(QApplication::focusWidget(), &held);
            busy += handling.elapsed();
            QTest::qWait(33);
        }
        // Rendering on the window's thread alone would take 30 x 300 ms = 9 s.
        QVERIFY2(busy < 3000, qPrintable(u"the presses took %1 ms"_s.arg(busy)));
        QCOMPARE(f.window.displayText(), u"line 30"_s);
        QTRY_COMPARE_WITH_TIMEOUT(f.speech.said().last(), u"say line 30"_s, 15000);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
