#include "line_store.h"

#include <algorithm>

void LineStore::fill(const QStringList& lines)
{
    const auto count = std::min<qsizetype>(lines.size(), Capacity);
    std::copy_n(lines.cbegin(), count, m_entries.begin());
}
