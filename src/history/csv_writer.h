#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A CSV document as RFC 4180 has it: fields with a comma, a double quote or a line break are
// quoted and their quotes doubled, records end in CR LF. UTF-8 with a byte-order mark, which
// spreadsheet programs need to read anything but ASCII right.
QByteArray csvDocument(const QList<QStringList>& records);
QString csvField(const QString& field);
