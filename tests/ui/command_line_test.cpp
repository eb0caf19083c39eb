#include "command_line.h"

#include <QTest>

using namespace Qt::StringLiterals;

constexpr int NotGiven = -1; // a voice or pace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void runsTheDrill_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("voice");
        QTest::addColumn<int>("pace");
        QTest::addColumn<bool>("noHistory");
        const auto row = [](const char* name, const QStringList& arguments, const QString& file,
                             int voice = NotGiven, int pace = NotGiven, bool noHistory = false) {
            QTest::newRow(name) << arguments << file << voice << pace << noHistory;
        };
        row("nothing: the greeting", {}, {});
        row("a file", { u"drill.txt"_s }, u"drill.txt"_s);
        row("a voice and a file", { u"--voice"_s, u"female"_s, u"/home/a/ドリル.txt"_s },
            u"/home/a/ドリル.txt"_s, int(EnglishVoice::Female));
        row("voice joined by =, any case", { u"--voice=ESPEAK-NG"_s }, {},
            int(EnglishVoice::Espeak));
        row("a pace, a voice and a file",
            { u"--pace"_s, u"slower"_s, u"--voice=male"_s, u"a.txt"_s }, u"a.txt"_s,
            int(EnglishVoice::Male), int(SpeechPace::Slower));
        row("pace joined by =, any case", { u"--pace=Faster"_s }, {}, NotGiven,
            int(SpeechPace::Faster));
        row("the normal pace named", { u"--pace"_s, u"normal"_s }, {}, NotGiven,
            int(SpeechPace::Normal));
        row("Qt's own options are not taken for the file",
            { u"-platform"_s, u"offscreen"_s, u"-style=fusion"_s, u"-reverse"_s, u"a.txt"_s },
            u"a.txt"_s);
        row("a file whose name starts with a dash, after --", { u"--"_s, u"-v.txt"_s },
            u"-v.txt"_s);
        row("no history, with a file", { u"--no-history"_s, u"a.txt"_s }, u"a.txt"_s, NotGiven,
            NotGiven, true);
    }

    void runsTheDrill()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, voice);
        QFETCH(int, pace);
        const CommandLine command = CommandLine::parse(QStringList { u"kelvaro"_s } + arguments);
        QCOMPARE(command.action, CommandLine::Action::Run);
        QTEST(command.file, "file");
        QTEST(command.noHistory, "noHistory");
        QCOMPARE(command.voice ? int(*command.voice) : NotGiven, voice);
        QCOMPARE(command.pace ? int(*command.pace) : NotGiven, pace);
    }

    // An error goes to standard error with exit status 2, followed by the usage to see what
    // was meant; help and the version go to standard output with status 0.
    void endsWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("firstLine");
        const auto row = [](const char* name, const QStringList& arguments, const QString& line) {
            QTest::newRow(name) << arguments << (line.startsWith(u"kelvaro:") ? 2 : 0) << line;
        };
        const QString usage = u"Usage: kelvaro [options] [FILE]"_s;
        row("--help", { u"--help"_s }, usage);
        row("-h, before a file", { u"-h"_s, u"a.txt"_s }, usage);
        row("--version", { u"--version"_s }, u"Kelvaro 1.00"_s);
        row("-v", { u"-v"_s }, u"Kelvaro 1.00"_s);
        row("unknown option", { u"--fullscreen"_s }, u"kelvaro: Unknown option 'fullscreen'."_s);
        row("unknown option after a good one", { u"--voice"_s, u"male"_s, u"-x"_s },
            u"kelvaro: Unknown option 'x'."_s);
        row("unknown voice", { u"--voice"_s, u"robot"_s },
            u"kelvaro: Unknown voice 'robot': choose male, female or espeak-ng."_s);
        row("unknown pace", { u"--pace"_s, u"fast"_s },
            u"kelvaro: Unknown pace 'fast': choose slower, normal or faster."_s);
        row("pace without its name", { u"--pace"_s }, u"kelvaro: Missing value after '--pace'."_s);
        row("voice without its name", { u"--voice"_s },
            u"kelvaro: Missing value after '--voice'."_s);
        row("two files", { u"a.txt"_s, u"b.txt"_s },
            u"kelvaro: Only one FILE can be opened; 2 were given."_s);
        row("an empty file name", { QString() }, u"kelvaro: The FILE name is empty."_s);
    }

    void endsWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const CommandLine command = CommandLine::parse(QStringList { u"kelvaro"_s } + arguments);
        QCOMPARE(command.action, CommandLine::Action::Exit);
        QCOMPARE(command.exitStatus, status);
        QCOMPARE(command.toStandardError, status != 0);
        QTEST(command.output.section(u'\n', 0, 0), "firstLine");
        QVERIFY(command.output.endsWith(u'\n'));
        if (status != 0)
            QVERIFY(command.output.contains(u"\nUsage: kelvaro [options] [FILE]\n"_s));
    }

    void helpNamesEveryChoiceButNotQtsOwn()
    {
        const QString help = CommandLine::parse({ u"kelvaro"_s, u"--help"_s }).output;
        for (const QString& shown :
            { u"--help"_s, u"--version"_s, u"--voice <NAME>"_s, u"male, female or espeak-ng"_s,
                u"(default male)"_s, u"--pace <PACE>"_s, u"slower, normal or faster"_s,
                u"(default normal)"_s, u"FILE"_s, u"--no-history"_s, u"history.sqlite"_s })
            QVERIFY2(help.contains(shown), qPrintable(shown));
        QVERIFY(!help.contains(u"platform"_s) && !help.contains(u"<executable_name>"_s));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "command_line_test.moc"
