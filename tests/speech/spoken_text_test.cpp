#include "script_runs.h"
#include "spoken_text.h"
#include "text_pieces.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Script = ScriptRun::Script;

// What the drill shows, turned into what the voice says: rewritten for speech, split into the
// runs each voice speaks, and cut into bounded pieces that together still say all of it.
class TestSpokenText : public QObject {
    Q_OBJECT

private slots:
    void rewrites_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("greeting") << u"SelectYourFile!"_s << u"Select Your File!"_s;
        QTest::newRow("rate") << u"40 words/min"_s << u"40 words per minute"_s;
        QTest::newRow("notice") << u"Reset: [R] or [U]"_s << u"Reset: R or U"_s;
        QTest::newRow("capitals then a word") << u"HTMLFile"_s << u"HTML File"_s;
        QTest::newRow("plural abbreviations stay whole") << u"CDs and URLs"_s << u"CDs and URLs"_s;
        QTest::newRow("plain sentence untouched") << u"I have a pen. 私はペンを持っています。"_s
                                                  << u"I have a pen. 私はペンを持っています。"_s;
        QTest::newRow("full-width Latin, half-width kana") << u"ＡＢＣ ｶﾀｶﾅ"_s << u"ABC カタカナ"_s;
        QTest::newRow("nested brackets keep the inner pair's text") << u"[[x]]"_s << u"[x]"_s;
        QTest::newRow("numbers and times untouched") << u"3:05 12.5%"_s << u"3:05 12.5%"_s;
    }

    void rewrites()
    {
        QFETCH(QString, shown);
        QTEST(spokenText(shown), "spoken");
    }

    // Each run as "en:" or "ja:" and its text.
    void splits_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("English only") << u"The cat sat."_s << QStringList { u"en:The cat sat."_s };
        QTest::newRow("mixed, punctuation stays, the space moves on")
            << u"I have a pen. 私はペンを持っています。"_s
            << QStringList { u"en:I have a pen."_s, u"ja: 私はペンを持っています。"_s };
        QTest::newRow("Japanese then English, no space")
            << u"ペンを3本。I have"_s << QStringList { u"ja:ペンを3本。"_s, u"en:I have"_s };
        QTest::newRow("digits go with the counter they lead into")
            << u"at 3時"_s << QStringList { u"en:at"_s, u"ja: 3時"_s };
        QTest::newRow("digits glued to the word before a counter")
            << u"A4用紙"_s << QStringList { u"en:A"_s, u"ja:4用紙"_s };
        QTest::newRow("leading digits join") << u"1. 今日は"_s << QStringList { u"ja:1. 今日は"_s };
        QTest::newRow("the crashing line's letter and full stop")
            << u"Q.今日は"_s << QStringList { u"en:Q."_s, u"ja:今日は"_s };
        QTest::newRow("kana with the prolonged sound mark and 々")
            << u"コーヒー 時々"_s << QStringList { u"ja:コーヒー 時々"_s };
        QTest::newRow("accents and other scripts are not Japanese")
            << u"naïve Привет"_s << QStringList { u"en:naïve Привет"_s };
        QTest::newRow("〇 and 〆 are Japanese, the bounds of their block")
            << u"A〇B〆C"_s
            << QStringList { u"en:A"_s, u"ja:〇"_s, u"en:B"_s, u"ja:〆"_s, u"en:C"_s };
        QTest::newRow("the marks around them are not")
            << u"A\u3004\u3008B"_s << QStringList { u"en:A\u3004\u3008B"_s };
        QTest::newRow("kanji outside the BMP") << u"𠮷野家"_s << QStringList { u"ja:𠮷野家"_s };
        QTest::newRow("punctuation alone") << u" ... "_s << QStringList { u"en: ... "_s };
        QTest::newRow("nothing") << QString() << QStringList {};
    }

    void splits()
    {
        QFETCH(QString, line);
        QStringList runs;
        for (const ScriptRun& run : scriptRuns(line))
            runs.append((run.script == Script::Japanese ? u"ja:"_s : u"en:"_s) + run.text);
        QTEST(runs, "runs");
    }

    void pieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("short: one piece") << u"The cat sat."_s << QStringList { u"The cat sat."_s };
        QTest::newRow("cut after a full stop")
            << u"The cat sat. It was a good day."_s
            << QStringList { u"The cat sat."_s, u" It was a good day."_s };
        QTest::newRow("cut at a space without punctuation")
            << u"one two three four five six"_s
            << QStringList { u"one two three four"_s, u" five six"_s };
        QTest::newRow("overlong word") << u"s's's's's's'"_s << QStringList { u"s's's's' s's'"_s };
        QTest::newRow("Japanese clauses")
            << u"きょうは、いい てんきです。あしたも はれ"_s
            << QStringList { u"きょうは、いい てんきです。"_s, u"あしたも はれ"_s };
        QTest::newRow("blank text gives nothing") << u"   "_s << QStringList {};
    }

    void pieces()
    {
        QFETCH(QString, text);
        QTEST(boundedPieces(text, { 20, 8 }), "pieces");
    }

    // The lines that crash espeak-ng 1.51 end up in short words and pieces.
    void crashingLinesAreBounded()
    {
        const QString japanese = u"Q.今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます"
                                 u"友達と一緒に勉強しました先生はとても親切で優しい人です"_s;
        for (const QString& line : { u"s'"_s.repeated(220), japanese, u"x"_s.repeated(5000) }) {
            const QStringList pieces = boundedPieces(line);
            QCOMPARE(pieces.join(QString()).remove(u' '), QString(line).remove(u' '));
            for (const QString& piece : pieces) {
                QVERIFY(piece.size() <= PieceLimits().maxPieceCharacters);
                for (const QString& word : piece.split(u' '))
                    QVERIFY2(word.size() <= PieceLimits().maxWordCharacters, qPrintable(word));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSpokenText)
#include "spoken_text_test.moc"
