#pragma once

#include "clock.h"
#include "disk_drill_file_reader.h"
#include "editor_launcher.h"
#include "file_chooser.h"
#include "font_chooser.h"
#include "main_window.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "recording_speech.h"
#include "voice.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct FakeExit : ProgramExit {
    void exitNow() override { ++exits; }
    int exits = 0;
};

struct FakeClock : Clock {
    QTime timeOfDay() const override { return now; }
    QTime now { 9, 0, 0 };
};

struct FakeFileChooser : FileChooser {
    QString chooseFileToOpen(const QString& filter) override
    {
        shownFilter = filter;
        return answer;
    }
    QString answer;
    QString shownFilter;
};

struct FakeFontChooser : FontChooser {
    std::optional<QFont> chooseFont() override { return font; }
    std::optional<QColor> chooseColor() override { return color; }
    std::optional<QFont> font;
    std::optional<QColor> color;
};

struct FakeEditor : EditorLauncher {
    bool startEditor() override
    {
        ++starts;
        return available;
    }
    bool available = true;
    int starts = 0;
};

struct FakeMessages : MessageBoxes {
    void reportError(const QString& title, const QString& message) override
    {
        errors.append(title + QStringLiteral(": ") + message);
    }
    void showInformation(const QString& title, const QString& text) override
    {
        information.append(title + QStringLiteral(": ") + text);
    }
    QStringList errors;
    QStringList information;
};

// The real window with every outside effect replaced, drill files written to a temporary
// folder and read by the real reader.
struct WindowFixture {
    RecordingSpeech speech;
    Voice voice;
    FakeClock clock;
    DiskDrillFileReader files;
    FakeFileChooser fileChooser;
    FakeFontChooser fontChooser;
    FakeEditor editor;
    FakeMessages messages;
    FakeExit exit;
    QTemporaryDir folder;
    std::unique_ptr<MainWindow> window;

    // Speech goes to the recording output unless the test brings its own.
    explicit WindowFixture(AudioOutput* output = nullptr)
        : voice(speech.engine, output ? *output : static_cast<AudioOutput&>(speech.output))
    {
        window = std::make_unique<MainWindow>(WindowServices {
            voice, clock, files, fileChooser, fontChooser, editor, messages, exit });
        window->showOnScreen();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("The window under test did not become active");
    }

    QString writeDrillFile(const QStringList& lines)
    {
        const QString path = folder.filePath(QStringLiteral("drill.txt"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        return path;
    }

    // Opens a drill file through the File menu, as the learner would.
    void openDrill(const QStringList& lines)
    {
        fileChooser.answer = writeDrillFile(lines);
        action("mnuFileOpen")->trigger();
    }

    QAction* action(const char* name) const
    {
        return window->findChild<QAction*>(QLatin1String(name));
    }
    template <typename Widget = QWidget> Widget* control(const char* name) const
    {
        return window->findChild<Widget*>(QLatin1String(name));
    }
    QString caption(const char* label) const { return control<QLabel>(label)->text(); }

    // Presses a key on whatever has the focus, as the keyboard does.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key, modifiers);
    }
};
