#pragma once

#include <QString>

// The captions as a screen reader should say them, where the symbols shown would be read out
// badly or not at all.

// 2' 5" as "2 minutes 5 seconds"; any other text as it is.
QString timeInWords(const QString& timeCaption);
// 40 words/min as "40 words per minute"; any other text as it is.
QString rateInWords(const QString& rateCaption);
