#include "menu_commands.h"

#include "command_queue.h"
#include "editor_launcher.h"
#include "font_chooser.h"
#include "kelvaro_version.h"
#include "message_boxes.h"
#include "program_exit.h"
#include "progress_opener.h"
#include "reading_run.h"
#include "ui_log.h"
#include "voice.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QWidget>

#include <array>
#include <exception>

namespace {

QAction* named(QAction* action, const char* name)
{
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

MenuCommands::MenuCommands(QMainWindow& window, CommandQueue& commands, QWidget& display,
    ReadingRun& run, Voice& voice, FontChooser& fonts, EditorLauncher& editor,
    MessageBoxes& messages, ProgramExit& exit, ProgressOpener& progress)
    : QObject(&window)
    , m_commands(commands)
    , m_display(display)
    , m_run(run)
    , m_voice(voice)
    , m_fonts(fonts)
    , m_editor(editor)
    , m_messages(messages)
    , m_exit(exit)
    , m_progress(progress)
{
    buildMenus(window);
}

void MenuCommands::buildMenus(QMainWindow& window)
{
    QMenuBar* bar = window.menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = named(file->addAction(QStringLiteral("Open Text File(&O)")), "mnuFileOpen");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    onTriggered(open,
        [this] { reportingFailures(QStringLiteral("Open Text File"), [this] { m_run.Open(); }); });
    QAction* text = named(file->addAction(QStringLiteral("Open \"NOTE PAD\"(&E)")), "mnuFileText");
    onTriggered(text, [this] { startEditor(); });
    QAction* progress = named(file->addAction(QStringLiteral("Progress…")), "mnuFileProgress");
    progress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    onTriggered(progress, [this] {
        reportingFailures(QStringLiteral("Progress"), [this] { m_progress.showProgress(); });
    });
    named(file->addSeparator(), "mnuSaparator");
    QAction* end = named(file->addAction(QStringLiteral("Exit(&X)")), "mnuEnd");
    connect(end, &QAction::triggered, this, [this] { m_exit.exitNow(); });

    // Font(100P) and Version sit on the bar itself and act as soon as they are chosen.
    QAction* font = named(bar->addAction(QStringLiteral("Font(100P)")), "mnuFont");
    onTriggered(font, [this] { chooseFont(); });

    QMenu* voice = bar->addMenu(QStringLiteral("Voice"));
    voice->setObjectName(QStringLiteral("mnuVoice"));
    QAction* pause = named(voice->addAction(QStringLiteral("Pause")), "mnuPause");
    onTriggered(pause,
        [this] { reportingFailures(QStringLiteral("Pause"), [this] { m_voice.setVolume(0); }); });
    QAction* getVoice = named(voice->addAction(QStringLiteral("Get Voice")), "mnuGetVoice");
    onTriggered(getVoice, [this] {
        reportingFailures(QStringLiteral("Get Voice"), [this] { m_voice.setVolume(100); });
    });
    addEnglishVoiceChoice(*voice);
    addPaceChoice(*voice);

    QAction* version = named(bar->addAction(QStringLiteral("Version")), "mnuVersion");
    onTriggered(version, [this] { showVersion(); });

    // Alt+V opens the Voice menu and F10 the menu bar at File, as Alt+F opens File: shortcuts
    // of the window's own, so that the captions keep their text (an access key of the Voice
    // menu would be underlined in its caption).
    const auto opener = [&](const QKeySequence& keys, QMenu* menu) {
        auto* shortcut = new QShortcut(keys, &window);
        connect(shortcut, &QShortcut::activated, bar,
            [bar, menu] { bar->setActiveAction(menu->menuAction()); });
    };
    opener(QKeySequence(Qt::ALT | Qt::Key_V), voice);
    opener(QKeySequence(Qt::Key_F10), file);
}

template <typename Value, std::size_t Count, typename Choose>
void MenuCommands::addRadioChoices(
    QMenu& menu, const std::array<RadioChoice<Value>, Count>& choices, Value current, Choose choose)
{
    menu.addSeparator();
    auto* group = new QActionGroup(&menu);
    group->setExclusive(true);
    for (const RadioChoice<Value>& choice : choices) {
        QAction* item = named(menu.addAction(QLatin1String(choice.caption)), choice.name);
        item->setCheckable(true);
        item->setChecked(current == choice.value);
        group->addAction(item);
        const Value value = choice.value;
        onTriggered(item, [choose, value] { choose(value); });
    }
}

void MenuCommands::addEnglishVoiceChoice(QMenu& menu)
{
    static constexpr std::array<RadioChoice<EnglishVoice>, 3> Choices = { {
        { EnglishVoice::Male, "Male (Flite)", "mnuVoiceMale" },
        { EnglishVoice::Female, "Female (Flite)", "mnuVoiceFemale" },
        { EnglishVoice::Espeak, "espeak-ng", "mnuVoiceEspeak" },
    } };
    addRadioChoices(menu, Choices, m_voice.englishVoice(),
        [this](EnglishVoice voice) { m_voice.setEnglishVoice(voice); });
}

void MenuCommands::addPaceChoice(QMenu& menu)
{
    static constexpr std::array<RadioChoice<SpeechPace>, 3> Choices = { {
        { SpeechPace::Slower, "Slower", "mnuPaceSlower" },
        { SpeechPace::Normal, "Normal", "mnuPaceNormal" },
        { SpeechPace::Faster, "Faster", "mnuPaceFaster" },
    } };
    addRadioChoices(
        menu, Choices, m_voice.pace(), [this](SpeechPace pace) { m_voice.setPace(pace); });
}

template <typename Command> void MenuCommands::onTriggered(QAction* item, Command command)
{
    connect(item, &QAction::triggered, this, [this, command] { m_commands.run(command); });
}

template <typename Command>
void MenuCommands::reportingFailures(const QString& title, Command command)
{
    try {
        command();
    } catch (const std::exception& failure) {
        m_messages.reportError(title, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        m_messages.reportError(title, QStringLiteral("The command failed unexpectedly."));
    }
}

void MenuCommands::startEditor()
{
    const QString title = QStringLiteral("Open \"NOTE PAD\"");
    reportingFailures(title, [&] {
        if (!m_editor.startEditor()) {
            m_messages.reportError(title,
                QStringLiteral("No text editor could be started. Install a graphical "
                               "text editor such as gedit, kate or mousepad, or write "
                               "the drill file in any editor you have and open it "
                               "with File, Open Text File."));
        }
    });
}

void MenuCommands::chooseFont()
{
    // Cancelling either dialog, or any failure, ends the command quietly and keeps whatever
    // had already been applied.
    try {
        const std::optional<QFont> chosen = m_fonts.chooseFont();
        if (!chosen)
            return;
        QFont font = m_display.font();
        font.setFamilies({ chosen->family() });
        if (chosen->pointSizeF() > 0)
            font.setPointSizeF(chosen->pointSizeF());
        font.setBold(chosen->bold());
        font.setItalic(chosen->italic());
        font.setUnderline(chosen->underline());
        font.setStrikeOut(chosen->strikeOut());
        m_display.setFont(font);

        const std::optional<QColor> color = m_fonts.chooseColor();
        if (!color || !color->isValid())
            return;
        QPalette palette = m_display.palette();
        palette.setColor(QPalette::Text, *color);
        m_display.setPalette(palette);
    } catch (const std::exception& failure) {
        qCWarning(lcUi, "The font could not be applied: %s", failure.what());
    } catch (...) {
        qCWarning(lcUi, "The font could not be applied.");
    }
}

QString MenuCommands::versionText(int majorVersion)
{
    return QStringLiteral("Kelvaro\r\n\r\nVersion") + QString::number(majorVersion)
        + QStringLiteral(". (C) 2026 The Kelvaro developers");
}

void MenuCommands::showVersion()
{
    reportingFailures(QStringLiteral("VERSION"), [this] {
        m_messages.showInformation(QStringLiteral("VERSION"), versionText(KELVARO_VERSION_MAJOR));
    });
}
