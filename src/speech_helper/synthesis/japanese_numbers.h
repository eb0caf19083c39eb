#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// A number written in digits inside Japanese text, and how it is said.
struct JapaneseNumber {
    qsizetype start = 0;
    // The digits and separators, and the counter after them when it is read with them.
    qsizetype length = 0;
    // In katakana as pronounced, like the rest of a Japanese reading.
    QString reading;

    friend bool operator==(const JapaneseNumber&, const JapaneseNumber&) = default;
};

// Each number written in digits (ASCII or full-width, with thousands separators and a
// decimal point) as a Japanese numeral, with the sound changes of the counter after it:
// "1200円" センニヒャクエン, "3本" サンボン, "4時" ヨジ, "3.5" サンテンゴ. Digits in
// hyphenated groups like a phone number ("090-1234-5678"), and numbers written with a
// leading zero, are read digit by digit.
QList<JapaneseNumber> japaneseNumbers(QStringView text);
