// Feeds arbitrary bytes through everything a drill file goes through before the drill uses
// it: decoding, splitting into lines, counting line ends piece by piece, and the line store.
// Besides the sanitizers' findings, it stops on any line count that disagrees with the line
// ends in the bytes.
#include "drill_text.h"
#include "line_store.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

static void check(bool holds)
{
    if (!holds)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the line limit and where the bytes are cut into pieces, so that
    // the limit and pieces ending between CR and LF are reached as well.
    const int pick = data[0] % 8;
    const qsizetype maxLines = pick == 0 ? LineStore::Capacity : pick;
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));

    const QStringList lines = decodeDrillLines(bytes, maxLines);
    check(lines.size() <= maxLines);

    if (hasByteLineEnds(bytes)) {
        LineEndCounter whole;
        whole.feed(bytes);
        LineEndCounter pieces;
        const qsizetype step = 1 + data[0] / 8;
        for (qsizetype at = 0; at < bytes.size(); at += step)
            pieces.feed(bytes.sliced(at, std::min(step, bytes.size() - at)));
        check(pieces.count() == whole.count());

        const bool endsInLineEnd = bytes.isEmpty() || bytes.back() == '\n' || bytes.back() == '\r';
        const qsizetype expected = std::min(whole.count() + (endsInLineEnd ? 0 : 1), maxLines);
        // A byte-order mark alone is no line.
        const bool onlyMark = bytes == QByteArrayView("\xEF\xBB\xBF");
        check(onlyMark || lines.size() == expected);
    }

    static LineStore store;
    store.fill(lines);
    if (!lines.isEmpty())
        check(store.at(int(lines.size()) - 1) == lines.back());
    return 0;
}
