#pragma once

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
#include <QLabel>
#include <QTest>

#include <functional>
#include <optional>

// What the desktop provides: dialogs, message boxes and a text editor.
struct Desktop : FileChooser, FontChooser, EditorLauncher, MessageBoxes { };

// The real window with every outside effect recorded, or answered as the test sets it.
struct WindowFixture : ProgramExit, Clock, DrillFileReader, AudioOutput, Desktop {
    void exitNow() override { ++exits; }
    QTime timeOfDay() const override { return now; }
    DrillFileContents read(const QString& path, int) override { return onRead(path); }
    void play(const Pcm&) override { }
    void stop() override { speech += QStringLiteral("stop"); }
    void setVolume(double gain) override { volume = gain; }
    void waitUntilPlayed() override { onWait(); }
    QString chooseFileToOpen(const QString&) override { return file; }
    std::optional<QFont> chooseFont() override { return font; }
    std::optional<QColor> chooseColor() override { return color; }
    bool startEditor() override { return editorInstalled; }
    void reportError(const QString& t, const QString& m) override { errors += t + u':' + m; }
    void showInformation(const QString& t, const QString& m) override { shown += t + u':' + m; }

    int exits = 0;
    double volume = -1;
    bool editorInstalled = true;
    QTime now { 9, 0, 0 };
    QString file = QStringLiteral("drill.txt");
    QStringList lines, speech, errors, shown;
    std::optional<QFont> font;
    std::optional<QColor> color;
    std::function<void()> onWait = [] {};
    // Every file holds `lines` unless a test says otherwise.
    std::function<DrillFileContents(const QString&)> onRead = [this](const QString&) {
        return DrillFileContents { lines, {} };
    };
    RecordingEngine engine { speech };
    Voice voice { engine, *this };
    MainWindow window { WindowServices { voice, *this, *this, *this, *this, *this, *this, *this } };

    WindowFixture()
    {
        window.showOnScreen();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    // A control that is missing fails the test that asked for it, not the whole test run:
    // the helpers below then do nothing.
    template <typename Object = QWidget> Object* find(const char* name)
    {
        auto* found = window.findChild<Object*>(QLatin1String(name));
        if (!found)
            QTest::qFail(qPrintable(QStringLiteral("no control named ") + QLatin1String(name)),
                __FILE__, __LINE__);
        return found;
    }
    QString caption(const char* label)
    {
        const QLabel* found = find<QLabel>(label);
        return found ? found->text() : QString();
    }
    void trigger(const char* menuItem)
    {
        if (QAction* action = find<QAction>(menuItem))
            action->trigger();
    }
    void openDrill(const QStringList& drill) { lines = drill, trigger("mnuFileOpen"); }

    // What the learner sees: the display, the count ("-" when hidden), the font size, the rate.
    QString seen()
    {
        const QString count = window.isCountVisible() ? caption("lblCount") : QStringLiteral("-");
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
