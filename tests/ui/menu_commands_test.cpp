#include "ui_fakes.h"

#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace {

// Each item as "name caption"; a checkable, greyed or hidden item is marked.
QStringList describe(const QList<QAction*>& actions)
{
    QStringList items;
    for (const QAction* action : actions) {
        const QString name = action->menu() ? action->menu()->objectName() : action->objectName();
        const bool plain = !action->isCheckable() && action->isEnabled() && action->isVisible();
        items += name + u' ' + (action->isSeparator() ? QStringLiteral("-") : action->text())
            + (plain ? QString() : QStringLiteral(" (not plain)"));
    }
    return items;
}

} // namespace

class MenuCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void menuTreeIsComplete()
    {
        WindowFixture f;
        QCOMPARE(describe(f.window->menuBar()->actions()).join(u','),
            QStringLiteral(
                "mnuFile File(&F),mnuFont Font(100P),mnuVoice Voice,mnuVersion Version"));
        QCOMPARE(describe(f.control<QMenu>("mnuFile")->actions()).join(u','),
            QStringLiteral("mnuFileOpen Open Text File(&O),mnuFileText Open \"NOTE "
                           "PAD\"(&E),mnuSaparator -,mnuEnd Exit(&X)"));
        QCOMPARE(describe(f.control<QMenu>("mnuVoice")->actions()).join(u','),
            QStringLiteral("mnuPause Pause,mnuGetVoice Get Voice"));
        QCOMPARE(f.action("mnuFileOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    }

    void openLoadsTheChosenFileAndCancelKeepsTheDrill()
    {
        WindowFixture f;
        f.openDrill({ QStringLiteral("一"), QStringLiteral("二") });
        QCOMPARE(f.filterShown, QStringLiteral("テキスト ファイル (*.txt)"));
        QCOMPARE(f.caption("lblCount"), QStringLiteral("count 2"));
        f.file.clear();
        f.action("mnuFileOpen")->trigger();
        QCOMPARE(f.window->run().state().Total, 2);
        QVERIFY(f.errors.isEmpty());
    }

    void fontDialogAppliesTheChosenFontAndColour()
    {
        WindowFixture f;
        auto* display = f.control<QPlainTextEdit>("txtHyoji");
        const QFont before = display->font();
        f.action("mnuFont")->trigger(); // cancelled
        QCOMPARE(display->font(), before);

        QFont chosen(QStringLiteral("Noto Sans CJK JP"), 12, QFont::Bold);
        f.font = chosen;
        f.color = QColor(Qt::red);
        f.action("mnuFont")->trigger();
        QCOMPARE(display->font().pointSizeF(), 12.0);
        QVERIFY(display->font().bold() && !display->font().italic());
        QCOMPARE(display->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(f.caption("lblFontSize"), QStringLiteral("FontSize 100"));

        // Cancelling the colour keeps the font just applied and the colour as it was.
        chosen.setItalic(true);
        f.font = chosen;
        f.color.reset();
        f.action("mnuFont")->trigger();
        QVERIFY(display->font().italic());
        QCOMPARE(display->palette().color(QPalette::Text), QColor(Qt::red));
    }

    void voiceMenuSetsTheVolume()
    {
        WindowFixture f;
        f.action("mnuPause")->trigger();
        QCOMPARE(f.speech.output.gain(), 0.0);
        f.action("mnuGetVoice")->trigger();
        QCOMPARE(f.speech.output.gain(), 1.0);
    }

    void versionBoxNamesTheProgramAndItsVersion()
    {
        WindowFixture f;
        f.action("mnuVersion")->trigger();
        QCOMPARE(f.shown,
            QStringList { QStringLiteral(
                "VERSION:Kelvaro\r\n\r\nVersion1. (C) 2026 The Kelvaro developers") });
    }

    void editorIsStartedOrItsAbsenceExplained()
    {
        WindowFixture f;
        f.action("mnuFileText")->trigger();
        QCOMPARE(f.editorStarts, 1);
        QVERIFY(f.errors.isEmpty());
        f.editorInstalled = false;
        f.action("mnuFileText")->trigger();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(f.errors.first().contains(QStringLiteral("No text editor")));
        QCOMPARE(f.exits, 0);
    }
};

QTEST_MAIN(MenuCommandsTest)
#include "menu_commands_test.moc"
