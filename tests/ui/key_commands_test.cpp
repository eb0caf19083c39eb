#include "ui_fakes.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

const QStringList Drill = { QStringLiteral("いち"), QStringLiteral("に"), QStringLiteral("さん"),
    QStringLiteral("し"), QStringLiteral("ご") };

} // namespace

class KeyCommandsTest : public QObject {
    Q_OBJECT

private slots:
    // The same commands under each hand; every row starts on line 2 of a five-line drill.
    void bothHandsDriveTheDrill_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("count");
        const auto row = [](const char* name, Qt::Key key, const char* display, const char* count,
                             Qt::KeyboardModifiers modifiers = {}) {
            QTest::newRow(name) << int(key) << int(modifiers) << QString::fromUtf8(display)
                                << QString::fromUtf8(count);
        };
        row("F", Qt::Key_F, "さん", "count 3");
        row("J", Qt::Key_J, "さん", "count 3");
        row("Space", Qt::Key_Space, "さん", "count 3");
        row("D", Qt::Key_D, "に", "count 4");
        row("K", Qt::Key_K, "に", "count 4");
        row("S", Qt::Key_S, "いち", "count 5");
        row("L", Qt::Key_L, "いち", "count 5");
        row("R", Qt::Key_R, "", "");
        row("U", Qt::Key_U, "", "");
        row("Shift+F", Qt::Key_F, "さん", "count 3", Qt::ShiftModifier);
        row("Ctrl+J", Qt::Key_J, "さん", "count 3", Qt::ControlModifier);
        row("Ctrl+Shift+L", Qt::Key_L, "いち", "count 5", Qt::ControlModifier | Qt::ShiftModifier);
        row("A does nothing", Qt::Key_A, "に", "count 4");
        row("keypad keys do nothing", Qt::Key_F, "に", "count 4", Qt::KeypadModifier);
    }

    void bothHandsDriveTheDrill()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        WindowFixture f;
        f.openDrill(Drill);
        f.press(Qt::Key_F);
        f.press(Qt::Key_F);
        f.press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(f.window->displayText(), "display");
        QTEST(f.caption("lblCount"), "count");
    }

    void keysReachTheDrillWhateverHasTheFocus()
    {
        WindowFixture f;
        const QString longLine = QStringLiteral("あいうえお").repeated(60);
        f.openDrill({ longLine, QStringLiteral("に") });
        auto* display = f.control<QPlainTextEdit>("txtHyoji");
        f.press(Qt::Key_Space);
        QCOMPARE(f.window->displayText(), longLine);
        // Space goes on to the display box but must not scroll the line's start away.
        QCOMPARE(display->verticalScrollBar()->value(), 0);
        display->clearFocus();
        QTest::keyClick(f.window.get(), Qt::Key_Space);
        QCOMPARE(f.window->displayText(), QStringLiteral("に"));
    }

    void heldKeysRepeatTheirCommand()
    {
        WindowFixture f;
        f.openDrill(Drill);
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_J);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, QStringLiteral("j"), true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
        QCOMPARE(f.window->displayText(), QStringLiteral("に"));
        // Each step cuts off the speech of the line before.
        QCOMPARE(f.speech.log.mid(f.speech.log.size() - 2),
            (QStringList { QStringLiteral("stop"), QStringLiteral("say に") }));
    }

    void digitKeysStepTheFontSize()
    {
        WindowFixture f;
        for (const char* expected : { "FontSize 101", "FontSize 102", "FontSize 103" }) {
            f.press(Qt::Key_1);
            QCOMPARE(f.caption("lblFontSize"), QLatin1String(expected));
        }
        f.press(Qt::Key_0);
        f.press(Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 102"));
    }

    void afterTheFinishOnlyResetGoesOn()
    {
        WindowFixture f;
        f.openDrill({ QStringLiteral("one"), QStringLiteral("two") });
        f.press(Qt::Key_F);
        f.press(Qt::Key_F);
        f.now = f.now.addSecs(3);
        f.press(Qt::Key_F);
        QVERIFY(f.control("lblCount")->isHidden());
        QCOMPARE(f.caption("lblSeiseki"), QStringLiteral("40 words/min"));
        f.press(Qt::Key_K);
        QCOMPARE(f.window->displayText(), QStringLiteral("Reset: [R] or [U]"));
        f.press(Qt::Key_U);
        f.press(Qt::Key_J);
        QCOMPARE(f.window->displayText(), QStringLiteral("one"));
        QCOMPARE(f.caption("lblCount"), QStringLiteral("count 2"));
    }

    void everyWayOutEndsTheProgramAtOnce()
    {
        WindowFixture f;
        f.press(Qt::Key_Escape);
        f.action("mnuEnd")->trigger();
        f.window->close();
        QCOMPARE(f.exits, 3);
    }
};

QTEST_MAIN(KeyCommandsTest)
#include "key_commands_test.moc"
