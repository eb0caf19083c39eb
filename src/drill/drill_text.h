#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Decodes the bytes of a drill file into at most maxLines lines, without their line ends.
// The byte-order mark decides where there is one; otherwise the text is UTF-8 when every
// byte of it is (an unfinished character at the very end included), and Japanese Windows
// text (CP932) when not. Every byte counts: a character cut off in a file with a mark shows
// as U+FFFD, never as nothing.
QStringList decodeDrillLines(QByteArrayView bytes, qsizetype maxLines);

// Splits text into lines at CR LF, a lone LF or a lone CR; a last line without a line end
// still counts, and empty text has no lines. Stops after maxLines lines.
QStringList splitDrillLines(QStringView text, qsizetype maxLines);

// Whether the file's lines end in single bytes (CR, LF), as in UTF-8 and CP932, judged by
// its first bytes: a file marked as UTF-16 or UTF-32 has wider line ends.
bool hasByteLineEnds(QByteArrayView firstBytes);

// Counts the line ends of a file with byte line ends as its bytes arrive in pieces, so that
// reading can stop as soon as enough lines are complete. CR LF is one line end, also when
// a piece ends between the two.
class LineEndCounter {
public:
    void feed(QByteArrayView piece);
    qsizetype count() const { return m_count; }

private:
    qsizetype m_count = 0;
    bool m_afterCarriageReturn = false;
};
