#include "japanese_numbers.h"

#include <array>

namespace {

// Longer numbers than this (ten thousand trillion) are read digit by digit.
constexpr qsizetype MaxNumeralDigits = 16;

constexpr std::array<QStringView, 10> DigitWords
    = { u"ゼロ", u"イチ", u"ニ", u"サン", u"ヨン", u"ゴ", u"ロク", u"ナナ", u"ハチ", u"キュー" };
// Read one by one, as in a phone number, the short ones are drawn out.
constexpr std::array<QStringView, 10> SpelledDigitWords = { u"ゼロ", u"イチ", u"ニー", u"サン",
    u"ヨン", u"ゴー", u"ロク", u"ナナ", u"ハチ", u"キュー" };

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'\uFF10' && c <= u'\uFF19')
        return c.unicode() - 0xFF10;
    return -1;
}

bool isDigit(QStringView text, qsizetype at)
{
    return at < text.size() && digitValue(text[at]) >= 0;
}

bool isComma(QChar c)
{
    return c == u',' || c == u'\uFF0C';
}

bool isPoint(QChar c)
{
    return c == u'.' || c == u'\uFF0E';
}

bool isHyphen(QChar c)
{
    return c == u'-' || c == u'\uFF0D' || c == u'\u2010' || c == u'\u2212';
}

// How a counter's first sound changes after a number: before k, after 1, 6, 8, 10 and 100
// the number ends in a glottal stop (イッコ); before s and t only after 1, 8 and 10
// (イッサイ); before h as before k, the h becoming p (イッポン), and b after 3 and 1000
// (サンボン, センボン).
enum class Sound { Plain, K, ST, H };

struct Counter {
    QStringView written;
    QStringView reading;
    Sound sound;
    // Readings of their own, counter included: "ヨン:ヨジ" for a number whose reading ends in
    // ヨン, "=1:ヒトリ" for the number 1.
    QStringView irregular = {};
};

constexpr std::array Counters = {
    Counter { u"円", u"エン", Sound::Plain, u"ヨン:ヨエン" },
    Counter { u"時", u"ジ", Sound::Plain, u"ヨン:ヨジ ナナ:シチジ キュー:クジ" },
    Counter { u"年", u"ネン", Sound::Plain, u"ヨン:ヨネン" },
    Counter { u"月", u"ガツ", Sound::Plain, u"ヨン:シガツ ナナ:シチガツ キュー:クガツ" },
    Counter { u"日", u"ニチ", Sound::Plain,
        u"=1:ツイタチ =2:フツカ =3:ミッカ =4:ヨッカ =5:イツカ =6:ムイカ =7:ナノカ =8:ヨーカ "
        u"=9:ココノカ =10:トーカ =20:ハツカ ヨン:ヨッカ ナナ:シチニチ キュー:クニチ" },
    Counter { u"人", u"ニン", Sound::Plain, u"=1:ヒトリ =2:フタリ ヨン:ヨニン" },
    Counter { u"つ", u"ツ", Sound::Plain,
        u"=1:ヒトツ =2:フタツ =3:ミッツ =4:ヨッツ =5:イツツ =6:ムッツ =7:ナナツ =8:ヤッツ "
        u"=9:ココノツ" },
    Counter { u"分", u"フン", Sound::H, u"サン:サンプン ヨン:ヨンプン" },
    Counter { u"本", u"ホン", Sound::H },
    Counter { u"杯", u"ハイ", Sound::H },
    Counter { u"匹", u"ヒキ", Sound::H },
    Counter { u"泊", u"ハク", Sound::H },
    Counter { u"個", u"コ", Sound::K },
    Counter { u"回", u"カイ", Sound::K },
    Counter { u"階", u"カイ", Sound::K, u"サン:サンガイ" },
    Counter { u"件", u"ケン", Sound::K },
    Counter { u"ヶ月", u"カゲツ", Sound::K },
    Counter { u"か月", u"カゲツ", Sound::K },
    Counter { u"カ月", u"カゲツ", Sound::K },
    Counter { u"歳", u"サイ", Sound::ST },
    Counter { u"才", u"サイ", Sound::ST },
    Counter { u"冊", u"サツ", Sound::ST },
    Counter { u"週", u"シュー", Sound::ST },
    Counter { u"点", u"テン", Sound::ST },
    Counter { u"度", u"ド", Sound::Plain },
    Counter { u"枚", u"マイ", Sound::Plain },
    Counter { u"台", u"ダイ", Sound::Plain },
    Counter { u"番", u"バン", Sound::Plain },
    Counter { u"秒", u"ビョー", Sound::Plain },
    Counter { u"倍", u"バイ", Sound::Plain },
};

// The decimal point and the trillions sound like the counters テン and チョー.
constexpr Counter Point { u".", u"テン", Sound::ST };
constexpr Counter Trillion { u"兆", u"チョー", Sound::ST };

// The number's last word, where it ends in a glottal stop before some sounds.
struct Stop {
    QStringView word;
    QStringView stopped;
    bool beforeST;
};
constexpr std::array<Stop, 5> Stops = { {
    { u"イチ", u"イッ", true }, { u"ロク", u"ロッ", false }, { u"ハチ", u"ハッ", true },
    { u"ジュー", u"ジュッ", true }, { u"ャク", u"ャッ", false }, // ヒャク, サンビャク, ロッピャク
} };

// ハ, ヒ, フ, ヘ, ホ as バ… (+1) or パ… (+2).
QString withVoicing(QStringView reading, int step)
{
    QString changed = reading.toString();
    changed[0] = QChar(char16_t(changed[0].unicode() + step));
    return changed;
}

// The reading of the number (value, when it is a whole number) followed by the counter.
QString withCounter(const QString& number, qint64 value, const Counter& counter)
{
    for (const QStringView entry : QStringView(counter.irregular).split(u' ')) {
        const qsizetype colon = entry.indexOf(u':');
        if (colon < 0)
            continue;
        const QStringView key = entry.left(colon);
        const QStringView replacement = entry.mid(colon + 1);
        if (key.startsWith(u'=')) {
            if (key.mid(1).toLongLong() == value)
                return replacement.toString();
        } else if (number.endsWith(key)) {
            return number.chopped(key.size()) + replacement;
        }
    }
    if (counter.sound != Sound::Plain) {
        for (const Stop& stop : Stops) {
            if (!number.endsWith(stop.word) || (counter.sound == Sound::ST && !stop.beforeST))
                continue;
            const QString reading = counter.sound == Sound::H ? withVoicing(counter.reading, 2)
                                                              : counter.reading.toString();
            return number.chopped(stop.word.size()) + stop.stopped + reading;
        }
        if (counter.sound == Sound::H && (number.endsWith(u"サン") || number.endsWith(u"セン")))
            return number + withVoicing(counter.reading, 1);
    }
    return number + counter.reading.toString();
}

// 1 to 9999.
QString groupReading(int group)
{
    static constexpr std::array<QStringView, 10> Thousands = { u"", u"セン", u"ニセン", u"サンゼン",
        u"ヨンセン", u"ゴセン", u"ロクセン", u"ナナセン", u"ハッセン", u"キューセン" };
    static constexpr std::array<QStringView, 10> Hundreds
        = { u"", u"ヒャク", u"ニヒャク", u"サンビャク", u"ヨンヒャク", u"ゴヒャク", u"ロッピャク",
              u"ナナヒャク", u"ハッピャク", u"キューヒャク" };
    QString reading = Thousands[group / 1000].toString() + Hundreds[group / 100 % 10];
    const int tens = group / 10 % 10;
    if (tens > 0)
        reading += (tens > 1 ? DigitWords[tens].toString() : QString()) + u"ジュー";
    if (group % 10 > 0)
        reading += DigitWords[group % 10];
    return reading;
}

QString wholeReading(qint64 value)
{
    if (value == 0)
        return DigitWords[0].toString();
    QString reading;
    constexpr std::array<QStringView, 4> Units = { u"", u"マン", u"オク", u"チョー" };
    qint64 scale = 1'000'000'000'000;
    for (int unit = 3; unit >= 0; --unit, scale /= 10'000) {
        const int group = int(value / scale % 10'000);
        if (group == 0)
            continue;
        if (unit == 3)
            reading += withCounter(groupReading(group), group, Trillion);
        else
            reading += groupReading(group) + Units[unit];
    }
    return reading;
}

QString spelled(QStringView digits)
{
    QString reading;
    for (const QChar c : digits) {
        if (digitValue(c) >= 0)
            reading += SpelledDigitWords[digitValue(c)];
    }
    return reading;
}

qsizetype digitsFrom(QStringView text, qsizetype at)
{
    qsizetype end = at;
    while (isDigit(text, end))
        ++end;
    return end;
}

// The number whose first digit is at `start`.
JapaneseNumber numberAt(QStringView text, qsizetype start)
{
    qsizetype end = digitsFrom(text, start);
    // Groups joined by hyphens: a phone number, a postal code.
    QList<QStringView> groups { text.mid(start, end - start) };
    qsizetype groupsEnd = end;
    while (
        groupsEnd + 1 < text.size() && isHyphen(text[groupsEnd]) && isDigit(text, groupsEnd + 1)) {
        const qsizetype next = digitsFrom(text, groupsEnd + 1);
        groups.append(text.mid(groupsEnd + 1, next - groupsEnd - 1));
        groupsEnd = next;
    }
    if (groups.size() >= 3 || (groups.size() == 2 && groups.first().startsWith(u'0'))) {
        QStringList readings;
        for (const QStringView group : groups)
            readings.append(spelled(group));
        return { start, groupsEnd - start, readings.join(u"ノ") };
    }
    // Thousands separators: after one to three digits, each before a group of three.
    QString digits = text.mid(start, end - start).toString();
    if (digits.size() <= 3) {
        while (end < text.size() && isComma(text[end]) && digitsFrom(text, end + 1) == end + 4) {
            digits += text.mid(end + 1, 3);
            end += 4;
        }
    }
    QString fraction;
    if (end + 1 < text.size() && isPoint(text[end]) && isDigit(text, end + 1)) {
        const qsizetype fractionEnd = digitsFrom(text, end + 1);
        fraction = text.mid(end + 1, fractionEnd - end - 1).toString();
        end = fractionEnd;
    }
    if ((digits.size() > 1 && digitValue(digits[0]) == 0 && fraction.isEmpty())
        || digits.size() > MaxNumeralDigits)
        return { start, end - start, spelled(digits) };

    qint64 value = 0;
    for (const QChar c : digits)
        value = value * 10 + digitValue(c);
    QString reading = wholeReading(value);
    if (!fraction.isEmpty()) {
        reading = value == 0 ? QStringLiteral("レイテン") : withCounter(reading, -1, Point);
        for (const QChar c : fraction)
            reading += DigitWords[digitValue(c)];
        value = -1; // no whole number for the counters' own readings
    }
    // Written with the kanji of its unit: 5万, 1兆, 1.5億.
    if (end < text.size() && QStringView(u"万億兆").contains(text[end])) {
        reading = text[end] == u'兆' ? withCounter(reading, -1, Trillion)
                                     : reading + (text[end] == u'万' ? u"マン" : u"オク");
        value = -1;
        ++end;
    }
    for (const Counter& counter : Counters) {
        if (text.mid(end).startsWith(counter.written))
            return { start, end + counter.written.size() - start,
                withCounter(reading, value, counter) };
    }
    return { start, end - start, reading };
}

} // namespace

QList<JapaneseNumber> japaneseNumbers(QStringView text)
{
    QList<JapaneseNumber> numbers;
    qsizetype at = 0;
    while (at < text.size()) {
        if (!isDigit(text, at)) {
            ++at;
            continue;
        }
        const JapaneseNumber number = numberAt(text, at);
        numbers.append(number);
        at = number.start + number.length;
    }
    return numbers;
}
