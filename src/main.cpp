#include "background_audio_output.h"
#include "command_line.h"
#include "desktop_editor_launcher.h"
#include "dialog_file_chooser.h"
#include "dialog_font_chooser.h"
#include "dialog_message_boxes.h"
#include "disk_drill_file_reader.h"
#include "helper_programs.h"
#include "immediate_exit.h"
#include "kelvaro_version.h"
#include "main_window.h"
#include "qt_translations.h"
#include "speech_service.h"
#include "system_clock.h"
#include "voice.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>

namespace {

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    // Help, the version and a command line that cannot be followed need no display.
    const CommandLine command = CommandLine::parse(argumentList(argc, argv));
    if (command.action == CommandLine::Action::Exit) {
        std::fputs(
            command.output.toLocal8Bit().constData(), command.toStandardError ? stderr : stdout);
        return command.exitStatus;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvaro"));
    QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvaro.Kelvaro"));
    QtTranslations qtTranslations;
    qtTranslations.install(QLocale());

    SpeechService engine;
    BackgroundAudioOutput audio(helperProgramPath(u"kelvaro-audio"));
    Voice voice(engine, audio);
    if (command.voice)
        voice.setEnglishVoice(*command.voice);
    SystemClock clock;
    DiskDrillFileReader files;
    DialogFileChooser fileChooser;
    DialogFontChooser fontChooser;
    DesktopEditorLauncher editor;
    DialogMessageBoxes messages;
    ImmediateExit exit(audio);

    const QString fileAtStart
        = command.file.isEmpty() ? QString() : QFileInfo(command.file).absoluteFilePath();
    MainWindow window(
        { voice, clock, files, fileChooser, fontChooser, editor, messages, exit }, fileAtStart);
    window.showOnScreen();
    const int status = app.exec();
    // The event loop ends only when the last window has gone another way than Esc, Exit or
    // closing it; the program still leaves without the audio library's teardown.
    if (status == 0)
        exit.exitNow();
    return status;
}
