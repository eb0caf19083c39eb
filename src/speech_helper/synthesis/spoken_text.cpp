#include "spoken_text.h"

#include <QRegularExpression>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Rewrite {
    QRegularExpression pattern;
    QString replacement;
};

// Applied in order, each to the result of the one before.
const std::array<Rewrite, 4>& rewrites()
{
    static const std::array<Rewrite, 4> table = { {
        // Brackets around a key name are read as the key alone.
        { QRegularExpression(uR"(\[([^\[\]]*)\])"_s), u"\\1"_s },
        { QRegularExpression(uR"(\bwords/min\b)"_s), u"words per minute"_s },
        // "SelectYourFile": a lower-case letter followed by a capital starts a new word.
        { QRegularExpression(uR"((?<=\p{Ll})(?=\p{Lu}))"_s), u" "_s },
        // "HTMLFile": the last capital of a run that goes on in lower case starts a word,
        // but the plural of "CDs" and "URLs" stays with it.
        { QRegularExpression(uR"((?<=\p{Lu})(?=\p{Lu}\p{Ll}{2}))"_s), u" "_s },
    } };
    return table;
}

} // namespace

QString spokenText(const QString& shown)
{
    QString spoken = shown.normalized(QString::NormalizationForm_KC);
    for (const Rewrite& rewrite : rewrites())
        spoken.replace(rewrite.pattern, rewrite.replacement);
    return spoken;
}
