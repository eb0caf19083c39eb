#include "caption_words.h"

#include <QRegularExpression>

namespace {

QString counted(const QString& number, const QString& unit)
{
    return number + u' ' + unit + (number == u"1" ? QString() : QStringLiteral("s"));
}

} // namespace

QString timeInWords(const QString& timeCaption)
{
    static const QRegularExpression time(QStringLiteral("^(\\d+)' (\\d+)\"$"));
    const QRegularExpressionMatch match = time.match(timeCaption);
    if (!match.hasMatch())
        return timeCaption;
    return counted(match.captured(1), QStringLiteral("minute")) + u' '
        + counted(match.captured(2), QStringLiteral("second"));
}

QString rateInWords(const QString& rateCaption)
{
    static const QString shown = QStringLiteral(" words/min");
    if (!rateCaption.endsWith(shown))
        return rateCaption;
    return rateCaption.chopped(shown.size()) + QStringLiteral(" words per minute");
}
