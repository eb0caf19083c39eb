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

    // Numbers in digits read as Japanese numerals with their counters, as a Japanese speaker
    // says them; phone numbers digit by digit.
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        const auto row = [](const char* name, const QString& text, const QString& reading) {
            QTest::newRow(name) << text << reading;
        };
        row("yen", u"1200円"_s, u"センニヒャクエン"_s);
        row("o'clock", u"10時"_s, u"ジュージ"_s);
        row("a decimal and a unit MeCab reads", u"3.5キロ"_s, u"サンテンゴキロ"_s);
        row("a year", u"2026年"_s, u"ニセンニジューロクネン"_s);
        row("a phone number", u"090-1234-5678"_s,
            u"ゼロキューゼロノイチニーサンヨンノゴーロクナナハチ"_s);
        row("full-width digits", u"１２００円です"_s, u"センニヒャクエンデス"_s);
        row("thousands separators", u"1,234,567円"_s,
            u"ヒャクニジューサンマンヨンセンゴヒャクロクジューナナエン"_s);
        row("a comma that separates no thousands", u"1,2個"_s, u"イチ,ニコ"_s);
        row("units written in kanji", u"5万人、1.5億円"_s, u"ゴマンニン、イッテンゴオクエン"_s);
        row("zero point five", u"0.5倍"_s, u"レイテンゴバイ"_s);
        row("one point five", u"1.5倍"_s, u"イッテンゴバイ"_s);
        row("four o'clock, nine o'clock", u"4時と9時"_s, u"ヨジトクジ"_s);
        row("hundreds change their sound", u"300本と600本と800本"_s,
            u"サンビャッポントロッピャッポントハッピャッポン"_s);
        row("thousands change their sound", u"3000円と8000円"_s, u"サンゼンエントハッセンエン"_s);
        row("a hundred stops only before k and h", u"100個と100歳"_s, u"ヒャッコトヒャクサイ"_s);
        row("a comma after four digits separates no thousands", u"1234,567"_s,
            u"センニヒャクサンジューヨン,ゴヒャクロクジューナナ"_s);
        row("an address ends in a one-digit group", u"港区1-2-3"_s, u"ミナトクイチノニーノサン"_s);
        row("h counters", u"1本、3本、6杯、10匹"_s, u"イッポン、サンボン、ロッパイ、ジュッピキ"_s);
        row("minutes", u"1分3分4分5分"_s, u"イップンサンプンヨンプンゴフン"_s);
        row("k and s counters", u"6個8歳1冊"_s, u"ロッコハッサイイッサツ"_s);
        row("days of the month", u"1日から20日まで、14日"_s,
            u"ツイタチカラハツカマデ、ジューヨッカ"_s);
        row("people", u"1人と2人と4人"_s, u"ヒトリトフタリトヨニン"_s);
        row("months", u"4月、7月、9月"_s, u"シガツ、シチガツ、クガツ"_s);
        row("large numbers", u"10000人と1兆円"_s, u"イチマンニントイッチョーエン"_s);
        row("ten million", u"10000000円"_s, u"センマンエン"_s);
        row("zero", u"0人"_s, u"ゼロニン"_s);
        row("a leading zero is read digit by digit", u"007"_s, u"ゼロゼロナナ"_s);
        row("more digits than a numeral holds", u"12345678901234567"_s,
            u"イチニーサンヨンゴーロクナナハチキューゼロイチニーサンヨンゴーロクナナ"_s);
        row("a range is two numbers", u"3-5人"_s, u"サン-ゴニン"_s);
        row("a full stop after a number is no decimal point", u"第3章。"_s, u"ダイサンショー。"_s);
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, reading);
        const JapaneseReader reader;
        QTEST(reader.reading(text).remove(u' '), "reading");
    }

    // What the reader makes of a number is read back by MeCab as written, and espeak-ng's
    // "ja" voice says it as Japanese, without spelling digits or switching to English.
    void numberReadingsAreSpokenAsJapanese()
    {
        const JapaneseReader reader;
        EspeakVoices espeak;
        for (const QString& text :
            { u"1200円"_s, u"10時"_s, u"3.5キロ"_s, u"2026年"_s, u"090-1234-5678"_s }) {
            const QString reading = reader.reading(text);
            QCOMPARE(reader.reading(reading).remove(u' '), QString(reading).remove(u' '));
            const QString phonemes = espeak.phonemes(reading, EspeakVoices::Language::Japanese);
            QVERIFY2(!phonemes.isEmpty() && !phonemes.contains(u"(en)"_s), qPrintable(phonemes));
            QCOMPARE(phonemes, espeak.phonemes(reading, EspeakVoices::Language::Japanese));
        }
        // Digits themselves are spelled out one by one.
        const QString digits = espeak.phonemes(u"1200"_s, EspeakVoices::Language::Japanese);
        QVERIFY(
            digits != espeak.phonemes(reader.reading(u"1200"_s), EspeakVoices::Language::Japanese));
    }

    void withoutTheDictionaryTextPassesThrough()
    {
        const JapaneseReader reader(QDir::tempPath() + u"/no-such-dictionary"_s);
        QVERIFY(!reader.isAvailable());
        QVERIFY(reader.failure().contains(u"no-such-dictionary"_s));
        QCOMPARE(reader.reading(u"私は"_s), u"私は"_s);
        QCOMPARE(reader.reading(u"私は10時"_s), u"私はジュージ"_s);
    }
};

QTEST_GUILESS_MAIN(TestJapaneseReader)
#include "japanese_reader_test.moc"
