#include "background_audio_output.h"
#include "desktop_editor_launcher.h"
#include "dialog_file_chooser.h"
#include "dialog_font_chooser.h"
#include "dialog_message_boxes.h"
#include "disk_drill_file_reader.h"
#include "espeak_engine.h"
#include "immediate_exit.h"
#include "kelvaro_version.h"
#include "main_window.h"
#include "system_clock.h"
#include "voice.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvaro"));
    QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));

    EspeakEngine engine;
    BackgroundAudioOutput audio(QCoreApplication::applicationDirPath() + u"/kelvaro-audio");
    Voice voice(engine, audio);
    SystemClock clock;
    DiskDrillFileReader files;
    DialogFileChooser fileChooser;
    DialogFontChooser fontChooser;
    DesktopEditorLauncher editor;
    DialogMessageBoxes messages;
    ImmediateExit exit(audio);

    MainWindow window({ voice, clock, files, fileChooser, fontChooser, editor, messages, exit });
    window.showOnScreen();
    const int status = app.exec();
    // The event loop ends only when the last window has gone another way than Esc, Exit or
    // closing it; the program still leaves without the audio library's teardown.
    if (status == 0)
        exit.exitNow();
    return status;
}
