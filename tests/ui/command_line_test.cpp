#include "command_line.h"

#include <QTest>

using namespace Qt::StringLiterals;

constexpr int NoVoice = -1;
constexpr int NoPace = -1;

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void runsTheDrill_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("voice");
        QTest::addColumn<int>("pace");
        QTest::newRow("nothing: the greeting") << QStringList() << QString() << NoVoice << NoPace;
        QTest::newRow("a file") << QStringList { u"drill.txt"_s } << u"drill.txt"_s << NoVoice
                                << NoPace;
        QTest::newRow("a voice and a file")
            << QStringList { u"--voice"_s, u"female"_s, u"/home/a/ドリル.txt"_s }
            << u"/home/a/ドリル.txt"_s << int(EnglishVoice::Female) << NoPace;
        QTest::newRow("voice joined by =, any case")
            << QStringList { u"--voice=ESPEAK-NG"_s } << QString() << int(EnglishVoice::Espeak)
            << NoPace;
        QTest::newRow("a pace, a voice and a file")
            << QStringList { u"--pace"_s, u"slower"_s, u"--voice=male"_s, u"a.txt"_s } << u"a.txt"_s
            << int(EnglishVoice::Male) << int(SpeechPace::Slower);
        QTest::newRow("pace joined by =, any case")
            << QStringList { u"--pace=Faster"_s } << QString() << NoVoice
            << int(SpeechPace::Faster);
        QTest::newRow("the normal pace named") << QStringList { u"--pace"_s, u"normal"_s }
                                               << QString() << NoVoice << int(SpeechPace::Normal);
        QTest::newRow("Qt's own options are not taken for the file") << QStringList {
            u"-platform"_s, u"offscreen"_s, u"-style=fusion"_s, u"-reverse"_s, u"a.txt"_s
        } << u"a.txt"_s << NoVoice << NoPace;
        QTest::newRow("a file whose name starts with a dash, after --")
            << QStringList { u"--"_s, u"-v.txt"_s } << u"-v.txt"_s << NoVoice << NoPace;
    }

    void runsTheDrill()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(int, voice);
        QFETCH(int, pace);
        const CommandLine command = CommandLine::parse(QStringList { u"kelvaro"_s } + arguments);
        QCOMPARE(command.action, CommandLine::Action::Run);
        QCOMPARE(command.file, file);
        QCOMPARE(command.voice.has_value(), voice != NoVoice);
        QVERIFY(!command.noHistory);
        if (command.voice)
            QCOMPARE(int(*command.voice), voice);
        QCOMPARE(command.pace.has_value(), pace != NoPace);
        if (command.pace)
            QCOMPARE(int(*command.pace), pace);
    }

    void endsWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("toStandardError");
        QTest::addColumn<QString>("firstLine");
        const QString usage = u"Usage: kelvaro [options] [FILE]"_s;
        QTest::newRow("--help") << QStringList { u"--help"_s } << 0 << false << usage;
        QTest::newRow("-h, before a file")
            << QStringList { u"-h"_s, u"a.txt"_s } << 0 << false << usage;
        QTest::newRow("--version")
            << QStringList { u"--version"_s } << 0 << false << u"Kelvaro 1.00"_s;
        QTest::newRow("-v") << QStringList { u"-v"_s } << 0 << false << u"Kelvaro 1.00"_s;
        QTest::newRow("unknown option") << QStringList { u"--fullscreen"_s } << 2 << true
                                        << u"kelvaro: Unknown option 'fullscreen'."_s;
        QTest::newRow("unknown option after a good one") << QStringList { u"--voice"_s, u"male"_s,
            u"-x"_s } << 2 << true << u"kelvaro: Unknown option 'x'."_s;
        QTest::newRow("unknown voice") << QStringList { u"--voice"_s, u"robot"_s } << 2 << true
                                       << u"kelvaro: Unknown voice 'robot': choose male, "
                                          u"female or espeak-ng."_s;
        QTest::newRow("unknown pace") << QStringList { u"--pace"_s, u"fast"_s } << 2 << true
                                      << u"kelvaro: Unknown pace 'fast': choose slower, "
                                         u"normal or faster."_s;
        QTest::newRow("pace without its name") << QStringList { u"--pace"_s } << 2 << true
                                               << u"kelvaro: Missing value after '--pace'."_s;
        QTest::newRow("voice without its name") << QStringList { u"--voice"_s } << 2 << true
                                                << u"kelvaro: Missing value after '--voice'."_s;
        QTest::newRow("two files") << QStringList { u"a.txt"_s, u"b.txt"_s } << 2 << true
                                   << u"kelvaro: Only one FILE can be opened; 2 were given."_s;
        QTest::newRow("an empty file name")
            << QStringList { QString() } << 2 << true << u"kelvaro: The FILE name is empty."_s;
    }

    void endsWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(bool, toStandardError);
        QFETCH(QString, firstLine);
        const CommandLine command = CommandLine::parse(QStringList { u"kelvaro"_s } + arguments);
        QCOMPARE(command.action, CommandLine::Action::Exit);
        QCOMPARE(command.exitStatus, status);
        QCOMPARE(command.toStandardError, toStandardError);
        QCOMPARE(command.output.section(u'\n', 0, 0), firstLine);
        QVERIFY(command.output.endsWith(u'\n'));
        // Whoever gets an error also gets the usage, to see what was meant.
        if (toStandardError)
            QVERIFY(command.output.contains(u"\nUsage: kelvaro [options] [FILE]\n"_s));
    }

    void noHistoryIsTakenWithAFile()
    {
        const CommandLine command
            = CommandLine::parse({ u"kelvaro"_s, u"--no-history"_s, u"a.txt"_s });
        QCOMPARE(command.action, CommandLine::Action::Run);
        QVERIFY(command.noHistory);
        QCOMPARE(command.file, u"a.txt"_s);
    }

    void helpNamesEveryChoiceButNotQtsOwn()
    {
        const QString help = CommandLine::parse({ u"kelvaro"_s, u"--help"_s }).output;
        for (const QString& shown :
            { u"--help"_s, u"--version"_s, u"--voice <NAME>"_s, u"male, female or espeak-ng"_s,
                u"(default male)"_s, u"--pace <PACE>"_s, u"slower, normal or faster"_s,
                u"(default normal)"_s, u"FILE"_s, u"--no-history"_s, u"history.sqlite"_s })
            QVERIFY2(help.contains(shown), qPrintable(shown));
        QVERIFY(!help.contains(u"platform"_s));
        QVERIFY(!help.contains(u"<executable_name>"_s));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "command_line_test.moc"
