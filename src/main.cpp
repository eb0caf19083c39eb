#include "background_audio_output.h"
#include "background_history.h"
#include "command_line.h"
#include "deferred_icon_style.h"
#include "desktop_editor_launcher.h"
#include "dialog_file_chooser.h"
#include "dialog_font_chooser.h"
#include "dialog_message_boxes.h"
#include "disk_drill_file_reader.h"
#include "font_config_preload.h"
#include "helper_programs.h"
#include "history_recorder.h"
#include "history_store.h"
#include "immediate_exit.h"
#include "kelvaro_version.h"
#include "main_window.h"
#include "progress_module_opener.h"
#include "qt_translations.h"
#include "run_settings.h"
#include "speech_service.h"
#include "system_clock.h"
#include "voice.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

namespace {

// The voice and pace a run was spoken with, as the history keeps them.
class VoiceRunSettings : public RunSettings {
public:
    explicit VoiceRunSettings(const Voice& voice)
        : m_voice(voice)
    {
    }
    QString voiceName() const override { return englishVoiceName(m_voice.englishVoice()); }
    QString paceName() const override { return speechPaceName(m_voice.pace()); }

private:
    const Voice& m_voice;
};

// Runs a task once the window's first frame is on screen, or after a second if the window
// is never shown (hidden on another desktop, say), so that the task is never lost.
class AfterFirstFrame : public QObject {
public:
    AfterFirstFrame(QWindow* window, std::function<void()> task)
        : QObject(window)
        , m_task(std::move(task))
    {
        window->installEventFilter(this);
        QTimer::singleShot(1000, this, &AfterFirstFrame::run);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The frame is drawn while the expose event is handled; the task comes after it.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, &AfterFirstFrame::run);
        }
        return false;
    }

private:
    void run()
    {
        if (!m_task)
            return;
        std::exchange(m_task, nullptr)();
        deleteLater();
    }

    std::function<void()> m_task;
};

// Esc and Exit end the program at once; a run handed to the history a moment before is
// written first.
class HistoryFlushingExit : public ProgramExit {
public:
    HistoryFlushingExit(ProgramExit& exit, BackgroundHistory* history)
        : m_exit(exit)
        , m_history(history)
    {
    }
    void exitNow() override
    {
        if (m_history)
            m_history->flush(2000);
        m_exit.exitNow();
    }

private:
    ProgramExit& m_exit;
    BackgroundHistory* m_history;
};

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

    FontConfigPreload fontConfig;
    QApplication app(argc, argv);
    fontConfig.listFonts();
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
    QApplication::setApplicationName(QStringLiteral("Kelvaro"));
    QApplication::setApplicationVersion(QStringLiteral(KELVARO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kelvaro.Kelvaro"));
    // Qt connects its accessibility bridge to the session bus the first time it is asked, as the
    // window's first accessible name would; asked here, that wait overlaps the font list.
    QAccessible::isActive();
    QtTranslations qtTranslations;
    qtTranslations.install(QLocale());

    // The helpers, the dictionaries and the sound server start once the first frame is up, so
    // that on a small machine they do not take the processor from it; the greeting waits.
    SpeechServiceOptions speechOptions;
    speechOptions.helperStart = SpeechStart::OnStart;
    SpeechService engine(speechOptions);
    BackgroundAudioOutput audio(helperProgramPath(u"kelvaro-audio"), SpeechStart::OnStart);
    Voice voice(engine, audio, SpeechStart::OnStart);
    if (command.voice)
        voice.setEnglishVoice(*command.voice);
    if (command.pace)
        voice.setPace(*command.pace);
    SystemClock clock;
    DiskDrillFileReader files;
    DialogFileChooser fileChooser;
    DialogFontChooser fontChooser;
    DesktopEditorLauncher editor;
    DialogMessageBoxes messages;
    ImmediateExit immediateExit(audio);

    // With --no-history the history file is neither read nor written.
    const QString historyPath = command.noHistory ? QString() : HistoryStore::defaultPath();
    std::unique_ptr<BackgroundHistory> history;
    if (!historyPath.isEmpty())
        history = std::make_unique<BackgroundHistory>(historyPath);
    VoiceRunSettings runSettings(voice);
    std::unique_ptr<HistoryRecorder> recorder;
    if (history)
        recorder = std::make_unique<HistoryRecorder>(*history, runSettings);
    HistoryFlushingExit exit(immediateExit, history.get());
    ProgressModuleOpener progress(ProgressModuleOpener::installedModulePath(), historyPath);

    const QString fileAtStart
        = command.file.isEmpty() ? QString() : QFileInfo(command.file).absoluteFilePath();
    MainWindow window(
        { voice, clock, files, fileChooser, fontChooser, editor, messages, exit, progress },
        fileAtStart);
    progress.attach(window, window.run());
    window.run().setEvents(recorder.get());
    // The history file is opened off the window's thread once the first frame is up, so that
    // a problem with it is reported at start and not after the first run.
    window.winId(); // the native window the filter watches
    new AfterFirstFrame(window.windowHandle(), [&] {
        // Reading the first image sets up Qt's image readers, which the first frame does not
        // need.
        QIcon icon;
        icon.addFile(QStringLiteral(":/kelvaro-16.png"));
        icon.addFile(QStringLiteral(":/kelvaro-32.png"));
        window.setWindowIcon(icon);
        audio.start();
        voice.start();
        if (history)
            history->openSoon();
    });
    window.showOnScreen();
    const int status = app.exec();
    // The event loop ends only when the last window has gone another way than Esc, Exit or
    // closing it; the program still leaves without the audio library's teardown.
    if (status == 0)
        exit.exitNow();
    return status;
}
