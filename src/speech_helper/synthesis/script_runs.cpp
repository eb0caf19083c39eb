#include "script_runs.h"

#include <QStringView>

#include <optional>

namespace {

using Script = ScriptRun::Script;

// The script a character asks for, or none for digits, spaces and punctuation.
std::optional<Script> scriptOf(char32_t character)
{
    if (isJapaneseCharacter(character))
        return Script::Japanese;
    const QChar::Category category = QChar::category(character);
    switch (category) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
        return Script::Latin;
    default:
        return std::nullopt;
    }
}

// Where the characters between two runs are cut: after the punctuation that closes the run
// before, at the first space, or else before the digits that lead into the run after.
qsizetype cutBetweenRuns(QStringView between)
{
    for (qsizetype i = 0; i < between.size(); ++i) {
        if (between[i].isSpace())
            return i;
    }
    qsizetype cut = between.size();
    while (cut > 0 && between[cut - 1].isDigit())
        --cut;
    return cut;
}

} // namespace

bool isJapaneseCharacter(char32_t c)
{
    return (c >= 0x3040 && c <= 0x30FF) // hiragana, katakana, the prolonged sound mark
        || (c >= 0x31F0 && c <= 0x31FF) // small katakana
        || (c >= 0x3005 && c <= 0x3007) // 々 〆 〇
        || (c >= 0x3400 && c <= 0x4DBF) // kanji
        || (c >= 0x4E00 && c <= 0x9FFF) // kanji
        || (c >= 0xF900 && c <= 0xFAFF) // compatibility kanji
        || (c >= 0xFF66 && c <= 0xFF9F) // half-width katakana
        || (c >= 0x20000 && c <= 0x2FA1F); // rarer kanji
}

QList<ScriptRun> scriptRuns(const QString& line)
{
    QList<ScriptRun> runs;
    QString pending; // characters of no script not yet given to a run
    qsizetype i = 0;
    while (i < line.size()) {
        const char32_t character = line.at(i).isHighSurrogate() && i + 1 < line.size()
            ? QChar::surrogateToUcs4(line.at(i), line.at(i + 1))
            : line.at(i).unicode();
        const qsizetype width = character > 0xFFFF ? 2 : 1;
        const QStringView text = QStringView(line).mid(i, width);
        i += width;

        const std::optional<Script> script = scriptOf(character);
        if (!script) {
            pending += text;
            continue;
        }
        if (runs.isEmpty()) {
            runs.append({ *script, pending + text.toString() });
        } else if (runs.last().script == *script) {
            runs.last().text += pending + text;
        } else {
            const qsizetype cut = cutBetweenRuns(pending);
            runs.last().text += QStringView(pending).left(cut);
            runs.append({ *script, pending.mid(cut) + text.toString() });
        }
        pending.clear();
    }
    if (runs.isEmpty()) {
        if (!pending.isEmpty())
            runs.append({ Script::Latin, pending });
    } else {
        runs.last().text += pending;
    }
    return runs;
}
