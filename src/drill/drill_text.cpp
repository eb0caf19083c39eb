#include "drill_text.h"

#include <QStringDecoder>

#include <optional>

namespace {

// The lines of text as slices of it; works alike on bytes and on UTF-16 text because CR
// and LF are single units in both.
template <typename View> QList<View> sliceLines(View text, qsizetype maxLines)
{
    QList<View> lines;
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i < text.size() && lines.size() < maxLines) {
        const auto c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(lineStart, i - lineStart));
        ++i;
        if (c == u'\r' && i < text.size() && text[i] == u'\n')
            ++i;
        lineStart = i;
    }
    if (lineStart < text.size() && lines.size() < maxLines)
        lines.append(text.sliced(lineStart));
    return lines;
}

// Each line is decoded on its own: no decoder may keep bytes back for a next call that
// never comes, which would silently drop an unfinished last character.
constexpr QStringConverter::Flags EveryByte = QStringConverter::Flag::Stateless;

std::optional<QStringList> decodeEach(
    const QList<QByteArrayView>& lines, QStringDecoder& decoder, bool failOnError)
{
    QStringList decoded;
    decoded.reserve(lines.size());
    for (const QByteArrayView line : lines) {
        decoded.append(QString(decoder.decode(line)));
        if (failOnError && decoder.hasError())
            return std::nullopt;
    }
    return decoded;
}

} // namespace

QStringList decodeDrillLines(QByteArrayView bytes, qsizetype maxLines)
{
    // Notepad's "Unicode" files are UTF-16 with a byte-order mark.
    if (const std::optional<QStringConverter::Encoding> marked
        = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked, EveryByte);
        const QString text = decoder.decode(bytes);
        return splitDrillLines(text, maxLines);
    }
    // CR and LF are never part of a longer character in UTF-8 or CP932, so the bytes can be
    // split into lines before they are decoded.
    const QList<QByteArrayView> lines = sliceLines(bytes, maxLines);
    QStringDecoder utf8(QStringConverter::Utf8, EveryByte);
    if (std::optional<QStringList> decoded = decodeEach(lines, utf8, true))
        return *decoded;
    // ICU's windows-31j is CP932 itself: NEC and IBM extensions, 0x5C as a backslash.
    QStringDecoder cp932("windows-31j", EveryByte);
    return *decodeEach(lines, cp932, false);
}

QStringList splitDrillLines(QStringView text, qsizetype maxLines)
{
    QStringList lines;
    for (const QStringView line : sliceLines(text, maxLines))
        lines.append(line.toString());
    return lines;
}

bool hasByteLineEnds(QByteArrayView firstBytes)
{
    const std::optional<QStringConverter::Encoding> marked
        = QStringConverter::encodingForData(firstBytes);
    return !marked || *marked == QStringConverter::Utf8;
}

void LineEndCounter::feed(QByteArrayView piece)
{
    for (const char c : piece) {
        if (c == '\n') {
            if (!m_afterCarriageReturn)
                ++m_count;
            m_afterCarriageReturn = false;
        } else if (c == '\r') {
            ++m_count;
            m_afterCarriageReturn = true;
        } else {
            m_afterCarriageReturn = false;
        }
    }
}
