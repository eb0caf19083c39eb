#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// Gives Japanese text its reading in katakana as it is pronounced (the particles は and へ
// as ワ and エ), from MeCab with the NAIST Japanese dictionary, numbers written in digits
// as Japanese numerals with their counters. Words the dictionary does not know and kana keep
// their written form.
class JapaneseReader {
public:
    // Where Debian's mecab-naist-jdic puts the dictionary.
    static QString defaultDictionaryDir();

    // The dictionary is named explicitly so another installed one cannot change readings.
    // Without it the reader only reads the numbers, and failure() says why.
    explicit JapaneseReader(const QString& dictionaryDir = defaultDictionaryDir());
    ~JapaneseReader();
    JapaneseReader(const JapaneseReader&) = delete;
    JapaneseReader& operator=(const JapaneseReader&) = delete;

    bool isAvailable() const { return m_tagger != nullptr; }
    QString failure() const { return m_failure; }

    // The reading, in phrases of whole words with a space between them, so a long sentence
    // can be cut between words.
    QString reading(const QString& text) const;

private:
    // The words of text as MeCab reads them; the text itself without MeCab.
    void appendWords(QStringList& words, const QString& text) const;

    struct Tagger;
    std::unique_ptr<Tagger> m_tagger;
    QString m_failure;
};
