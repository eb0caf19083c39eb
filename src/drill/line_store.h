#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The fixed store of drill lines: entry n holds line n+1 of the file. It is never cleared,
// so loading a shorter file leaves the entries past its end as an earlier load left them.
class LineStore {
public:
    static constexpr int Capacity = 3001;

    const QString& at(int index) const { return m_entries.at(index); }
    // Overwrites the first lines.size() entries (at most Capacity of them).
    void fill(const QStringList& lines);

private:
    QList<QString> m_entries = QList<QString>(Capacity);
};
