#include "menu_commands.h"
#include "ui_fakes.h"

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

class MenuCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void menuTreeIsComplete()
    {
        WindowFixture f;
        const auto describe = [](const QList<QAction*>& actions) {
            QStringList items;
            for (const QAction* action : actions) {
                const QString name
                    = action->menu() ? action->menu()->objectName() : action->objectName();
                // A checkable, greyed or hidden item would show up in the comparison.
                const bool plain
                    = !action->isCheckable() && action->isEnabled() && action->isVisible();
                items.append(name + u' '
                    + (action->isSeparator() ? QStringLiteral("-") : action->text())
                    + (plain ? QString() : QStringLiteral(" (not plain)")));
            }
            return items;
        };
        QCOMPARE(describe(f.window->menuBar()->actions()),
            (QStringList { QStringLiteral("mnuFile File(&F)"), QStringLiteral("mnuFont Font(100P)"),
                QStringLiteral("mnuVoice Voice"), QStringLiteral("mnuVersion Version") }));
        QCOMPARE(describe(f.control<QMenu>("mnuFile")->actions()),
            (QStringList { QStringLiteral("mnuFileOpen Open Text File(&O)"),
                QStringLiteral("mnuFileText Open \"NOTE PAD\"(&E)"),
                QStringLiteral("mnuSaparator -"), QStringLiteral("mnuEnd Exit(&X)") }));
        QCOMPARE(describe(f.control<QMenu>("mnuVoice")->actions()),
            (QStringList {
                QStringLiteral("mnuPause Pause"), QStringLiteral("mnuGetVoice Get Voice") }));
        QCOMPARE(f.action("mnuFileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    }

    void openLoadsTheChosenFileAndCancelKeepsTheDrill()
    {
        WindowFixture f;
        f.openDrill({ QStringLiteral("一"), QStringLiteral("二") });
        QCOMPARE(f.fileChooser.shownFilter, QStringLiteral("テキスト ファイル (*.txt)"));
        QCOMPARE(f.window->displayText(), QString());
        QCOMPARE(f.caption("lblCount"), QStringLiteral("count 2"));

        f.fileChooser.answer.clear();
        f.action("mnuFileOpen")->trigger();
        QCOMPARE(f.caption("lblCount"), QStringLiteral("count 2"));
        QCOMPARE(f.window->run().state().Total, 2);
        QVERIFY(f.messages.errors.isEmpty());
    }

    void fontDialogAppliesTheChosenFontAndColour()
    {
        WindowFixture f;
        auto* display = f.control<QPlainTextEdit>("txtHyoji");
        const QFont before = display->font();
        f.fontChooser.font = std::nullopt; // cancelled
        f.action("mnuFont")->trigger();
        QCOMPARE(display->font(), before);

        QFont chosen(QStringLiteral("Noto Sans CJK JP"));
        chosen.setPointSizeF(12);
        chosen.setBold(true);
        f.fontChooser.font = chosen;
        f.fontChooser.color = QColor(Qt::red);
        f.action("mnuFont")->trigger();
        QCOMPARE(display->font().pointSizeF(), 12.0);
        QVERIFY(display->font().bold());
        QVERIFY(!display->font().italic());
        QCOMPARE(display->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 100"));

        // Cancelling the colour keeps the font just applied and the colour as it was.
        chosen.setItalic(true);
        f.fontChooser.font = chosen;
        f.fontChooser.color = std::nullopt;
        f.action("mnuFont")->trigger();
        QVERIFY(display->font().italic());
        QCOMPARE(display->palette().color(QPalette::Text), QColor(Qt::red));
    }

    void voiceMenuSetsTheVolume()
    {
        WindowFixture f;
        f.action("mnuPause")->trigger();
        QCOMPARE(f.voice.volume(), 0);
        QCOMPARE(f.speech.output.gain(), 0.0);
        f.action("mnuGetVoice")->trigger();
        QCOMPARE(f.voice.volume(), 100);
        QCOMPARE(f.speech.output.gain(), 1.0);
    }

    void versionBoxNamesTheProgramAndItsVersion()
    {
        WindowFixture f;
        f.action("mnuVersion")->trigger();
        QCOMPARE(f.messages.information.size(), 1);
        const QString shown = f.messages.information.first();
        QVERIFY2(shown.startsWith(QStringLiteral("VERSION: Kelvaro\r\n\r\nVersion1.")),
            qPrintable(shown));
        QVERIFY(!shown.endsWith(QStringLiteral("Version1.")));
        QVERIFY(!shown.mid(QStringLiteral("VERSION: Kelvaro\r\n\r\n").size()).contains(u'\n'));
    }

    void editorIsStartedOrItsAbsenceExplained()
    {
        WindowFixture f;
        f.action("mnuFileText")->trigger();
        QCOMPARE(f.editor.starts, 1);
        QVERIFY(f.messages.errors.isEmpty());

        f.editor.available = false;
        f.action("mnuFileText")->trigger();
        QCOMPARE(f.messages.errors.size(), 1);
        QVERIFY(f.messages.errors.first().contains(QStringLiteral("No text editor")));
        QCOMPARE(f.exit.exits, 0);
    }

    void exitEndsTheProgram()
    {
        WindowFixture f;
        f.action("mnuEnd")->trigger();
        QCOMPARE(f.exit.exits, 1);
    }
};

QTEST_MAIN(MenuCommandsTest)
#include "menu_commands_test.moc"
