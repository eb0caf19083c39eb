#include "japanese_reader.h"

#include "japanese_numbers.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include <mecab.h>

#include <cstring>

namespace {

// The NAIST dictionary's features: part of speech (4 fields), conjugation (2), base form,
// reading, pronunciation.
constexpr qsizetype ReadingField = 7;
constexpr qsizetype PronunciationField = 8;
// Words are run together as Japanese is written, which espeak-ng reads more smoothly than
// words apart, but only up to here, where a space lets long sentences be cut.
constexpr qsizetype MaxPhraseCharacters = 20;

QString spokenForm(const mecab_node_t& node)
{
    const QString surface = QString::fromUtf8(node.surface, node.length);
    if (node.stat != MECAB_NOR_NODE || !node.feature)
        return surface;
    // A quoted field (the comma's own) would be split: such a mark reads as written.
    if (std::strchr(node.feature, '"'))
        return surface;
    const QList<QByteArray> features = QByteArray(node.feature).split(',');
    for (qsizetype field : { PronunciationField, ReadingField }) {
        if (field < features.size() && !features[field].isEmpty() && features[field] != "*")
            return QString::fromUtf8(features[field]);
    }
    return surface;
}

bool isClauseMark(const QString& word)
{
    static const QString marks = QStringLiteral("\u3002\u3001\uFF01\uFF1F");
    return word.size() == 1 && marks.contains(word.front());
}

} // namespace

struct JapaneseReader::Tagger {
    mecab_t* mecab = nullptr;
    ~Tagger() { mecab_destroy(mecab); }
};

QString JapaneseReader::defaultDictionaryDir()
{
    return QStringLiteral("/var/lib/mecab/dic/naist-jdic");
}

JapaneseReader::JapaneseReader(const QString& dictionaryDir)
{
    const QString dicrc = QDir(dictionaryDir).filePath(QStringLiteral("dicrc"));
    if (!QFile::exists(dicrc)) {
        m_failure = QStringLiteral("the Japanese dictionary is missing from ") + dictionaryDir;
        return;
    }
    // The dictionary's own dicrc doubles as MeCab's settings file, so /etc/mecabrc and the
    // system's default dictionary play no part.
    QByteArray dicdir = QFile::encodeName(dictionaryDir);
    QByteArray rcfile = QFile::encodeName(dicrc);
    QByteArray program("mecab"), dicOption("-d"), rcOption("-r");
    char* arguments[]
        = { program.data(), dicOption.data(), dicdir.data(), rcOption.data(), rcfile.data() };
    mecab_t* mecab = mecab_new(5, arguments);
    if (!mecab) {
        m_failure = QStringLiteral("MeCab could not open the Japanese dictionary in ")
            + dictionaryDir + QStringLiteral(" (") + QString::fromLocal8Bit(mecab_strerror(nullptr))
            + u')';
        return;
    }
    m_tagger = std::make_unique<Tagger>();
    m_tagger->mecab = mecab;
}

JapaneseReader::~JapaneseReader() = default;

void JapaneseReader::appendWords(QStringList& words, const QString& text) const
{
    if (text.isEmpty())
        return;
    const QByteArray utf8 = text.toUtf8();
    const mecab_node_t* node
        = m_tagger ? mecab_sparse_tonode(m_tagger->mecab, utf8.constData()) : nullptr;
    if (!node) {
        words.append(text);
        return;
    }
    for (; node; node = node->next) {
        if (node->stat != MECAB_BOS_NODE && node->stat != MECAB_EOS_NODE)
            words.append(spokenForm(*node));
    }
}

QString JapaneseReader::reading(const QString& text) const
{
    // MeCab reads digits one by one and numerals word by word (三百 サンヒャク, 四時 ヨンジ):
    // numbers are read by rules of our own, the text around them by MeCab.
    QStringList words;
    qsizetype from = 0;
    for (const JapaneseNumber& number : japaneseNumbers(text)) {
        appendWords(words, text.mid(from, number.start - from));
        words.append(number.reading);
        from = number.start + number.length;
    }
    appendWords(words, text.mid(from));

    QString result;
    qsizetype phrase = 0;
    for (const QString& word : std::as_const(words)) {
        if (phrase > 0 && phrase + word.size() > MaxPhraseCharacters) {
            result += u' ';
            phrase = 0;
        }
        result += word;
        phrase += word.size();
        // Clause marks already let the text be cut after them.
        if (isClauseMark(word))
            phrase = 0;
    }
    return result;
}
