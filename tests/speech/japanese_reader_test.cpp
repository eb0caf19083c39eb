#include "espeak_voices.h"
#include "japanese_reader.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Japanese given its reading as pronounced, so espeak-ng's "ja" voice says words instead of
// "Chinese letter".
class TestJapaneseReader : public QObject {
    Q_OBJECT

private slots:
    // Particles and long vowels as pronounced, a long sentence cut between words (the rows
    // with a space are compared with their spaces); numbers in digits as Japanese numerals
    // with their counters, as a Japanese speaker says them; phone numbers digit by digit.
    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        const auto row = [](const char* name, const QString& text, const QString& reading) {
            QTest::newRow(name) << text << reading;
        };
        row("particle は reads ワ, を as pronounced", u"私はペンを持っています。"_s,
            u"ワタシワペンヲモッテイマス。"_s);
        row("へ reads エ, long vowels as pronounced", u"学校へ行きます"_s, u"ガッコーエイキマス"_s);
        row("a long sentence is cut between words", u"今日は良い天気ですね明日も晴れるでしょうか"_s,
            u"キョーワヨイテンキデスネアシタモハレル デショウカ"_s);
        row("a full stop starts a new phrase", u"今日は良い天気ですね。私は学校へ行きます。"_s,
            u"キョーワヨイテンキデスネ。ワタシワガッコーエイキマス。"_s);
        row("kana stay kana", u"ありがとう"_s, u"アリガトー"_s);
        row("yen", u"1200円"_s, u"センニヒャクエン"_s);
        row("o'clock", u"10時"_s, u"ジュージ"_s);
        row("a decimal and a unit MeCab reads", u"3.5キロ"_s, u"サンテンゴキロ"_s);
        row("a year", u"2026年"_s, u"ニセンニジューロクネン"_s);
        row("phone", u"090-1234-5678"_s, u"ゼロキューゼロノイチニーサンヨンノゴーロクナナハチ"_s);
        row("full-width digits", u"１２００円です"_s, u"センニヒャクエンデス"_s);
        row("thousands separators", u"1,234,567円"_s,
            u"ヒャクニジューサンマンヨンセンゴヒャクロクジューナナエン"_s);
        row("a comma that separates no thousands", u"1,2個"_s, u"イチ,ニコ"_s);
        row("a comma before four digits separates no thousands", u"1,2345円"_s,
            u"イチ,ニセンサンビャクヨンジューゴエン"_s);
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
        row("dates", u"1日から20日まで、14日"_s, u"ツイタチカラハツカマデ、ジューヨッカ"_s);
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

    void readings()
    {
        QFETCH(QString, text);
        QFETCH(QString, reading);
        const QString read = JapaneseReader().reading(text);
        QCOMPARE(reading.contains(u' ') ? read : QString(read).remove(u' '), reading);
    }

    // The check a learner would make by ear, made on espeak-ng's phonemes: raw kanji switch to
    // English ("Chinese letter") and digits are spelled out; the readings, numbers included,
    // are said as Japanese, and MeCab reads a number's reading back as written.
    void readingsAreSpokenAsJapanese()
    {
        const JapaneseReader reader;
        EspeakVoices espeak;
        const auto phonemes = [&](const QString& text) {
            return espeak.phonemes(text, EspeakVoices::Language::Japanese);
        };
        QVERIFY2(phonemes(u"天気"_s).contains(u"(en)"_s), qPrintable(phonemes(u"天気"_s)));
        QVERIFY(phonemes(u"1200"_s) != phonemes(reader.reading(u"1200"_s)));
        const QString kanjiLine = u"今日は良い天気ですね明日も晴れるでしょうか私は学校へ行きます"
                                  u"友達と一緒に勉強しました先生はとても親切で優しい人です"_s;
        for (const QString& text :
            { kanjiLine, u"1200円"_s, u"10時"_s, u"3.5キロ"_s, u"2026年"_s, u"090-1234-5678"_s }) {
            const QString reading = reader.reading(text);
            if (text != kanjiLine)
                QCOMPARE(reader.reading(reading).remove(u' '), QString(reading).remove(u' '));
            const QString said = phonemes(reading);
            QVERIFY2(
                said.size() > text.size() && !said.contains(u"(en)"_s) && !said.contains(u"lˈe"_s),
                qPrintable(said));
            QCOMPARE(said, phonemes(reading));
        }
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
