#include "key_commands.h"
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
    // Each hand has the same commands; every row starts on line 2 of a five-line drill.
    void bothHandsDriveTheDrill_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("count");
        const auto row = [](const char* name, Qt::Key key, const char* display, const char* count,
                             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::newRow(name) << int(key) << int(modifiers) << QString::fromUtf8(display)
                                << QString::fromUtf8(count);
        };
        row("F steps on", Qt::Key_F, "さん", "count 3");
        row("J steps on", Qt::Key_J, "さん", "count 3");
        row("Space steps on", Qt::Key_Space, "さん", "count 3");
        row("D repeats", Qt::Key_D, "に", "count 4");
        row("K repeats", Qt::Key_K, "に", "count 4");
        row("S goes back", Qt::Key_S, "いち", "count 5");
        row("L goes back", Qt::Key_L, "いち", "count 5");
        row("R resets", Qt::Key_R, "", "");
        row("U resets", Qt::Key_U, "", "");
        row("Shift+F is F", Qt::Key_F, "さん", "count 3", Qt::ShiftModifier);
        row("Ctrl+J is J", Qt::Key_J, "さん", "count 3", Qt::ControlModifier);
        row("Ctrl+Shift+L is L", Qt::Key_L, "いち", "count 5",
            Qt::ControlModifier | Qt::ShiftModifier);
        row("other keys do nothing", Qt::Key_A, "に", "count 4");
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
        QCOMPARE(QApplication::focusWidget(), display);
        f.press(Qt::Key_Space);
        QCOMPARE(f.window->displayText(), longLine);
        // Space goes on to the display box but must not scroll the line's start away.
        QCOMPARE(display->verticalScrollBar()->value(), 0);

        display->clearFocus();
        QCOMPARE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(f.window.get(), Qt::Key_Space);
        QCOMPARE(f.window->displayText(), QStringLiteral("に"));
    }

    void heldKeysRepeatTheirCommand()
    {
        WindowFixture f;
        f.openDrill(Drill);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyPress(focus, Qt::Key_J);
        for (int i = 0; i < 2; ++i) {
            QKeyEvent repeat(
                QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, QStringLiteral("j"), true);
            QApplication::sendEvent(focus, &repeat);
        }
        QTest::keyRelease(focus, Qt::Key_J);
        QCOMPARE(f.window->displayText(), QStringLiteral("さん"));
        // Each step cuts off the speech of the line before.
        QCOMPARE(f.speech.log.mid(f.speech.log.size() - 2),
            (QStringList { QStringLiteral("stop"), QStringLiteral("say さん") }));
    }

    void digitKeysStepTheFontSize()
    {
        WindowFixture f;
        for (int i = 0; i < 3; ++i)
            f.press(Qt::Key_1);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 103"));
        f.press(Qt::Key_0);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 102"));
        f.press(Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 102"));
    }

    void afterTheFinishOnlyResetGoesOn()
    {
        WindowFixture f;
        f.openDrill({ QStringLiteral("one"), QStringLiteral("two") });
        f.press(Qt::Key_F);
        f.press(Qt::Key_F);
        f.clock.now = f.clock.now.addSecs(3);
        f.press(Qt::Key_F);
        QVERIFY(f.control("lblCount")->isHidden());
        QCOMPARE(f.caption("lblSeiseki"), QStringLiteral("40 words/min"));
        QCOMPARE(f.speech.spoken().last(), QStringLiteral("40 words/min"));

        for (const Qt::Key key : { Qt::Key_F, Qt::Key_K, Qt::Key_S }) {
            f.press(key);
            QCOMPARE(f.window->displayText(), QStringLiteral("Reset: [R] or [U]"));
            QCOMPARE(f.caption("lblSeiseki"), QStringLiteral("40 words/min"));
        }
        QCOMPARE(f.speech.log.mid(f.speech.log.size() - 3),
            (QStringList { QStringLiteral("stop"), QStringLiteral("say Reset: [R] or [U]"),
                QStringLiteral("wait") }));

        f.press(Qt::Key_U);
        QVERIFY(!f.control("lblCount")->isHidden());
        f.press(Qt::Key_J);
        QCOMPARE(f.window->displayText(), QStringLiteral("one"));
        QCOMPARE(f.caption("lblCount"), QStringLiteral("count 2"));
    }

    void resetBeforeAnyFileDoesNothingVisible()
    {
        WindowFixture f;
        f.press(Qt::Key_R);
        QCOMPARE(f.window->displayText(), QStringLiteral("SelectYourFile!"));
        QVERIFY(f.messages.errors.isEmpty());
    }

    void escapeEndsTheProgramAtOnce()
    {
        WindowFixture f;
        f.press(Qt::Key_Escape);
        QCOMPARE(f.exit.exits, 1);
    }
};

QTEST_MAIN(KeyCommandsTest)
#include "key_commands_test.moc"
