#include "script_runs.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Script = ScriptRun::Script;

// Lines split into the runs each voice speaks.
class TestScriptRuns : public QObject {
    Q_OBJECT

private slots:
    void splits_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<ScriptRun>>("runs");
        QTest::newRow("English only")
            << u"The cat sat."_s << QList<ScriptRun> { { Script::Latin, u"The cat sat."_s } };
        QTest::newRow("mixed, punctuation stays, the space moves on")
            << u"I have a pen. 私はペンを持っています。"_s
            << QList<ScriptRun> { { Script::Latin, u"I have a pen."_s },
                   { Script::Japanese, u" 私はペンを持っています。"_s } };
        QTest::newRow("Japanese then English, no space")
            << u"ペンを3本。I have"_s
            << QList<ScriptRun> { { Script::Japanese, u"ペンを3本。"_s },
                   { Script::Latin, u"I have"_s } };
        QTest::newRow("digits go with the counter they lead into")
            << u"at 3時"_s
            << QList<ScriptRun> { { Script::Latin, u"at"_s }, { Script::Japanese, u" 3時"_s } };
        QTest::newRow("digits glued to the word before a counter")
            << u"A4用紙"_s
            << QList<ScriptRun> { { Script::Latin, u"A"_s }, { Script::Japanese, u"4用紙"_s } };
        QTest::newRow("leading digits join the first run")
            << u"1. 今日は"_s << QList<ScriptRun> { { Script::Japanese, u"1. 今日は"_s } };
        QTest::newRow("the crashing line's letter and full stop")
            << u"Q.今日は"_s
            << QList<ScriptRun> { { Script::Latin, u"Q."_s }, { Script::Japanese, u"今日は"_s } };
        QTest::newRow("kana with the prolonged sound mark and 々")
            << u"コーヒー 時々"_s << QList<ScriptRun> { { Script::Japanese, u"コーヒー 時々"_s } };
        QTest::newRow("accents and other scripts are not Japanese")
            << u"naïve Привет"_s << QList<ScriptRun> { { Script::Latin, u"naïve Привет"_s } };
        QTest::newRow("〇 and 〆 are Japanese, the bounds of their block")
            << u"A〇B〆C"_s
            << QList<ScriptRun> { { Script::Latin, u"A"_s }, { Script::Japanese, u"〇"_s },
                   { Script::Latin, u"B"_s }, { Script::Japanese, u"〆"_s },
                   { Script::Latin, u"C"_s } };
        QTest::newRow("the marks around them are not")
            << u"A\u3004\u3008B"_s << QList<ScriptRun> { { Script::Latin, u"A\u3004\u3008B"_s } };
        QTest::newRow("kanji outside the basic plane")
            << u"𠮷野家"_s << QList<ScriptRun> { { Script::Japanese, u"𠮷野家"_s } };
        QTest::newRow("punctuation alone")
            << u" ... "_s << QList<ScriptRun> { { Script::Latin, u" ... "_s } };
        QTest::newRow("nothing") << QString() << QList<ScriptRun> {};
    }

    void splits()
    {
        QFETCH(QString, line);
        QFETCH(QList<ScriptRun>, runs);
        const auto named = [](const QList<ScriptRun>& split) {
            QStringList names;
            for (const ScriptRun& run : split)
                names.append((run.script == Script::Japanese ? u"ja:"_s : u"en:"_s) + run.text);
            return names;
        };
        QCOMPARE(named(scriptRuns(line)), named(runs));
    }
};

QTEST_GUILESS_MAIN(TestScriptRuns)
#include "script_runs_test.moc"
