#include "drill_text.h"

#include <QByteArray>
#include <QStringDecoder>
#include <optional>

QString decodeDrillText(const QByteArray& bytes)
{
    // Notepad's "Unicode" files are UTF-16 with a byte-order mark.
    if (const std::optional<QStringConverter::Encoding> marked
        = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // ICU's windows-31j is CP932 itself: NEC and IBM extensions, 0x5C as a backslash.
    QStringDecoder cp932("windows-31j");
    return cp932.decode(bytes);
}

QStringList splitDrillLines(QStringView text, qsizetype maxLines)
{
    QStringList lines;
    qsizetype lineStart = 0;
    qsizetype i = 0;
    while (i < text.size() && lines.size() < maxLines) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(lineStart, i - lineStart).toString());
        ++i;
        if (c == u'\r' && i < text.size() && text.at(i) == u'\n')
            ++i;
        lineStart = i;
    }
    if (lineStart < text.size() && lines.size() < maxLines)
        lines.append(text.sliced(lineStart).toString());
    return lines;
}
