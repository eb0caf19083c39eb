#pragma once

#include <QList>
#include <QString>

// Limits that keep each engine call far from the lengths at which espeak-ng 1.51 overflows
// its buffers: it aborts on a "word" (text without spaces) of some 130 bytes or more, which
// a full stop right after a letter can make of a whole sentence ("Q.今日は…").
struct PieceLimits {
    qsizetype maxPieceCharacters = 160;
    qsizetype maxWordCharacters = 24;
};

// Splits text into pieces of at most maxPieceCharacters, cutting after sentence or clause
// punctuation where it can and at spaces otherwise; a word longer than maxWordCharacters
// is broken with spaces. The pieces, spoken one after another, say the whole text.
// Pieces holding nothing but spaces are left out.
QList<QString> boundedPieces(const QString& text, const PieceLimits& limits = {});
