#include "command_line.h"

#include "kelvaro_version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <array>

namespace {

const QString ProgramName = QStringLiteral("kelvaro");

// The options QGuiApplication and QApplication read for themselves. They are recognised here
// so that they are not refused, and left in the arguments for the application object.
constexpr auto QtValueOptions = std::to_array<const char*>({ "platform", "platformpluginpath",
    "platformtheme", "plugin", "qmljsdebugger", "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "session", "display", "geometry", "style", "stylesheet" });
constexpr auto QtFlagOptions
    = std::to_array<const char*>({ "reverse", "widgetcount", "nograb", "dograb" });

QString voiceNames()
{
    return englishVoiceName(EnglishVoice::Male) + QStringLiteral(", ")
        + englishVoiceName(EnglishVoice::Female) + QStringLiteral(" or ")
        + englishVoiceName(EnglishVoice::Espeak);
}

QString paceNames()
{
    return speechPaceName(SpeechPace::Slower) + QStringLiteral(", ")
        + speechPaceName(SpeechPace::Normal) + QStringLiteral(" or ")
        + speechPaceName(SpeechPace::Faster);
}

CommandLine exitWith(const QString& output, bool toStandardError, int status)
{
    CommandLine result;
    result.action = CommandLine::Action::Exit;
    result.output = output;
    result.toStandardError = toStandardError;
    result.exitStatus = status;
    return result;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single words after one dash (-platform, -style), as Qt reads them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Kelvaro: timed reading practice. Shows "
                                                    "the lines of a drill file one at a time "
                                                    "in very large type and speaks them."));
    const QCommandLineOption help({ QStringLiteral("h"), QStringLiteral("help") },
        QStringLiteral("Print this help and end."));
    const QCommandLineOption version({ QStringLiteral("v"), QStringLiteral("version") },
        QStringLiteral("Print the version and end."));
    const QCommandLineOption voice(QStringLiteral("voice"),
        QStringLiteral("The voice for English text: %1 (default %2).")
            .arg(voiceNames(), englishVoiceName(DefaultEnglishVoice)),
        QStringLiteral("NAME"));
    const QCommandLineOption noHistory(QStringLiteral("no-history"),
        QStringLiteral("Keep no history of runs: the history file (history.sqlite in "
                       "$XDG_DATA_HOME/kelvaro) is neither read nor written."));
    const QCommandLineOption pace(QStringLiteral("pace"),
        QStringLiteral("Speech pace: %1 (default %2).")
            .arg(paceNames(), speechPaceName(DefaultSpeechPace)),
        QStringLiteral("PACE"));
    parser.addOptions({ help, version, voice, pace, noHistory });
    for (const char* name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("A drill file to open at start, one drill item per line."),
        QStringLiteral("[FILE]"));

    // Qt's own first line names "<executable_name>" when no application object exists yet.
    const QString usage = QStringLiteral("Usage: ") + ProgramName
        + QStringLiteral(" [options] [FILE]\n") + parser.helpText().section(u'\n', 1);
    const auto fail = [&](const QString& error) {
        return exitWith(
            ProgramName + QStringLiteral(": ") + error + u'\n' + usage, true, UsageError);
    };

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help))
        return exitWith(usage, false, 0);
    if (parser.isSet(version))
        return exitWith(QStringLiteral("Kelvaro " KELVARO_VERSION "\n"), false, 0);

    CommandLine result;
    if (parser.isSet(voice)) {
        const QString name = parser.value(voice);
        result.voice = englishVoiceNamed(name);
        if (!result.voice)
            return fail(QStringLiteral("Unknown voice '%1': choose %2.").arg(name, voiceNames()));
    }
    if (parser.isSet(pace)) {
        const QString name = parser.value(pace);
        result.pace = speechPaceNamed(name);
        if (!result.pace)
            return fail(QStringLiteral("Unknown pace '%1': choose %2.").arg(name, paceNames()));
    }
    result.noHistory = parser.isSet(noHistory);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return fail(
            QStringLiteral("Only one FILE can be opened; %1 were given.").arg(files.size()));
    if (!files.isEmpty()) {
        if (files.constFirst().isEmpty())
            return fail(QStringLiteral("The FILE name is empty."));
        result.file = files.constFirst();
    }
    return result;
}
