#pragma once

#include "clock.h"
#include "drill_file_reader.h"
#include "editor_launcher.h"
#include "file_chooser.h"
#include "font_chooser.h"
#include "main_window.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "progress_opener.h"
#include "recording_speech.h"
#include "voice.h"

#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

// Everything outside the window, recorded or answered as a test sets it: the clock, the
// drill file, the dialogs, the message boxes, the editor, the speech and the exit.
struct FakeWindowServices : ProgramExit,
                            Clock,
                            DrillFileReader,
                            FileChooser,
                            FontChooser,
                            EditorLauncher,
                            MessageBoxes,
                            ProgressOpener {
    void exitNow() override
    {
        ++exits;
        saidAtExit = speech.said();
    }
    QTime timeOfDay() const override { return now; }
    DrillFileContents read(const QString& path, int) override
    {
        readPaths += path;
        return onRead(path);
    }
    QString chooseFileToOpen(const QString&) override { return file; }
    std::optional<QFont> chooseFont() override { return font; }
    std::optional<QColor> chooseColor() override { return color; }
    bool startEditor() override { return editorInstalled; }
    void reportError(const QString& t, const QString& m) override { errors += t + u':' + m; }
    void showInformation(const QString& t, const QString& m) override { shown += t + u':' + m; }
    void showProgress() override { } // the real-program test opens it

    WindowServices services(Voice& voice)
    {
        return { voice, *this, *this, *this, *this, *this, *this, *this, *this };
    }

    int exits = 0;
    bool editorInstalled = true;
    QTime now { 9, 0, 0 };
    QString file = QStringLiteral("drill.txt");
    QStringList lines, errors, shown, readPaths, saidAtExit;
    std::optional<QFont> font;
    std::optional<QColor> color;
    RecordingSpeech speech;
    // Every file holds `lines` unless a test says otherwise.
    std::function<DrillFileContents(const QString&)> onRead = [this](const QString&) {
        return DrillFileContents { lines, {} };
    };
};
