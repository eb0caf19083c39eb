#include "window_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

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
        QCOMPARE(f.speech, QStringList { u"say SelectYourFile!"_s });
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
        QCOMPARE(f.speech.mid(f.speech.size() - 3),
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
        f.onWait = [&] {
            upToDate += f.window.screen()->grabWindow(f.window.winId()).toImage()
                == f.window.grab().toImage();
        };
        f.openDrill({ u"one"_s });
        f.press(u"FFF");
        QCOMPARE(upToDate, 2);
    }

    // A control looked up by a name the window does not have fails this test alone.
    void aMissingControlFailsOnlyItsTest()
    {
        WindowFixture f;
        QEXPECT_FAIL("", "the window has no menu item of that name", Continue);
        f.trigger("mnuNoSuchItem");
        QCOMPARE(f.exits, 0);
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
            "mnuVoice Voice[mnuPause Pause,mnuGetVoice Get Voice],mnuVersion Version"_s);
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
        QCOMPARE(f.volume, 0.0);
        f.trigger("mnuGetVoice");
        QCOMPARE(f.volume, 1.0);
        f.trigger("mnuVersion");
        QCOMPARE(f.shown,
            QStringList { u"VERSION:Kelvaro\r\n\r\nVersion1. (C) 2026 The Kelvaro developers"_s });
        f.editorInstalled = false;
        f.trigger("mnuFileText");
        QVERIFY(f.errors.size() == 1 && f.errors.first().contains(u"No text editor"_s));
        QCOMPARE(f.exits, 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
