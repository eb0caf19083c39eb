#pragma once

#include <QString>
#include <QStringList>

class QByteArray;

// Decodes the bytes of a drill file: by its byte-order mark when it has one, as UTF-8 when
// the bytes are valid UTF-8, and otherwise as Japanese Windows text (CP932).
QString decodeDrillText(const QByteArray& bytes);

// Splits text into lines at CR LF, a lone LF or a lone CR; a last line without a line end
// still counts, and empty text has no lines. Stops after maxLines lines.
QStringList splitDrillLines(QStringView text, qsizetype maxLines);
