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

// Every outside effect of the window, recorded or answered as the test sets it.
struct Fakes : ProgramExit, Clock, FileChooser, FontChooser, EditorLauncher, MessageBoxes {
    void exitNow() override { ++exits; }
    QTime timeOfDay() const override { return now; }
    QString chooseFileToOpen(const QString& filter) override { return filterShown = filter, file; }
    std::optional<QFont> chooseFont() override { return font; }
    std::optional<QColor> chooseColor() override { return color; }
    bool startEditor() override { return ++editorStarts, editorInstalled; }
    void reportError(const QString& title, const QString& text) override
    {
        errors += title + u':' + text;
    }
    void showInformation(const QString& title, const QString& text) override
    {
        shown += title + u':' + text;
    }

    int exits = 0;
    QTime now { 9, 0, 0 };
    QString file;
    QString filterShown;
    std::optional<QFont> font;
    std::optional<QColor> color;
    bool editorInstalled = true;
    int editorStarts = 0;
    QStringList errors;
    QStringList shown;
};

// The real window with fake outside effects; drill files are written to a temporary folder
// and read by the real reader.
struct WindowFixture : Fakes {
    RecordingSpeech speech;
    Voice voice;
    DiskDrillFileReader files;
    QTemporaryDir folder;
    std::unique_ptr<MainWindow> window;

    // Speech goes to the recording output unless the test brings its own.
    explicit WindowFixture(AudioOutput* output = nullptr)
        : voice(speech.engine, output ? *output : static_cast<AudioOutput&>(speech.output))
        , window(std::make_unique<MainWindow>(
              WindowServices { voice, *this, files, *this, *this, *this, *this, *this }))
    {
        window->showOnScreen();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("The window under test did not become active");
    }

    // Opens a drill file through the File menu, as the learner would.
    void openDrill(const QStringList& lines)
    {
        file = folder.filePath(QStringLiteral("drill.txt"));
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(lines.join(QStringLiteral("\r\n")).toUtf8());
        out.close();
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
