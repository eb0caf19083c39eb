#include "text_pieces.h"

#include <QStringView>

namespace {

bool endsClause(QChar c)
{
    static const QString marks = QStringLiteral(".!?;:,\u3002\u3001\uFF01\uFF1F");
    return marks.contains(c);
}

// Japanese clause marks end a word too: Japanese puts no spaces between words.
bool endsJapaneseClause(QChar c)
{
    return c == u'\u3002' || c == u'\u3001' || c == u'\uFF01' || c == u'\uFF1F';
}

// The text with every overlong word broken into parts of at most maxWord characters.
QString withShortWords(const QString& text, qsizetype maxWord)
{
    QString result;
    result.reserve(text.size() + text.size() / maxWord + 1);
    qsizetype wordLength = 0;
    for (const QChar c : text) {
        if (c.isSpace()) {
            wordLength = 0;
            result += c;
            continue;
        }
        // Never break between the halves of a surrogate pair.
        if (wordLength >= maxWord && !c.isLowSurrogate()) {
            result += u' ';
            wordLength = 0;
        }
        result += c;
        ++wordLength;
        if (endsJapaneseClause(c))
            wordLength = 0;
    }
    return result;
}

} // namespace

QList<QString> boundedPieces(const QString& text, const PieceLimits& limits)
{
    const QString words = withShortWords(text, limits.maxWordCharacters);
    QList<QString> pieces;
    qsizetype start = 0;
    while (start < words.size()) {
        qsizetype end = qMin(start + limits.maxPieceCharacters, words.size());
        if (end < words.size()) {
            qsizetype cut = -1;
            for (qsizetype i = end - 1; i > start && cut < 0; --i) {
                if (endsClause(words.at(i)))
                    cut = i + 1;
            }
            for (qsizetype i = end; i > start && cut < 0; --i) {
                if (words.at(i).isSpace())
                    cut = i;
            }
            if (cut > start)
                end = cut;
            else if (words.at(end).isLowSurrogate())
                --end;
        }
        const QString piece = words.mid(start, end - start);
        if (!piece.trimmed().isEmpty())
            pieces.append(piece);
        start = end;
    }
    return pieces;
}
