#include "espeak_voices.h"
#include "japanese_reader.h"
#include "script_runs.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool hasKanji(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

} // namespace

// Japanese given its reading as pronounced, so espeak-ng's "ja" voice says words instead of
// "Chinese letter".
class TestJapaneseReader : public QObject {
    Q_OBJECT

private slots:
    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        QTest::newRow("particle は reads ワ, を as pronounced")
            << u"私はペンを持っています。"_s << u"ワタシワペンヲモッテイマス。"_s;
        QTest::newRow("particle へ reads エ, long vowels as pronounced")
            << u"学校へ行きます"_s << u"ガッコーエイキマス"_s;
        QTest::newRow("digits and counters") << u"3時"_s << u"サンジ"_s;
        QTest::newRow("a long sentence is cut between words")
            << u"今日は良い天気ですね明日も晴れるでしょうか"_s
            << u"キョーワヨイテンキデスネアシタモハレル デショウカ"_s;
        QTest::newRow("a full stop starts a new phrase")
            << u"今日は良い天気ですね。私は学校へ行きます。"_s
            << u"キョーワヨイテンキデスネ。ワタシワガッコーエイキマス。"_s;
        QTest::newRow("kana stay kana") << u"ありがとう"_s << u"アリガトー"_s;
    }

    void readings()
    {
        QFETCH(QString, text);
        const JapaneseReader reader;
        QVERIFY(reader.isAvailable());
        QTEST(reader.reading(text), "reading");
    }

    // The check a learner would make by ear, made on espeak-ng's phonemes instead: the raw
    // kanji switch to English for "Chinese letter"; their reading never does.
    void readingOfAKanjiLineHasNoLetter()
    {
        const QString line = u"今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます"
                             u"友達と一緒に勉強しました先生はとても親切で優しい人です"_s;
        EspeakVoices espeak;
        QVERIFY(espeak.isAvailable());
        const QString raw = espeak.phonemes(u"天気"_s, EspeakVoices::Language::Japanese);
        QVERIFY2(raw.contains(u"(en)"_s), qPrintable(raw));

        const QString reading = JapaneseReader().reading(line);
        QVERIFY2(!hasKanji(reading), qPrintable(reading));
        const QString phonemes = espeak.phonemes(reading, EspeakVoices::Language::Japanese);
        QVERIFY(phonemes.size() > 60);
        QVERIFY2(!phonemes.contains(u"(en)"_s), qPrintable(phonemes));
        QVERIFY2(!phonemes.contains(u"lˈe"_s), qPrintable(phonemes));
    }

    void withoutTheDictionaryTextPassesThrough()
    {
        const JapaneseReader reader(QDir::tempPath() + u"/no-such-dictionary"_s);
        QVERIFY(!reader.isAvailable());
        QVERIFY(reader.failure().contains(u"no-such-dictionary"_s));
        QCOMPARE(reader.reading(u"私は"_s), u"私は"_s);
    }
};

QTEST_GUILESS_MAIN(TestJapaneseReader)
#include "japanese_reader_test.moc"
