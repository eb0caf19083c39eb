#include "csv_writer.h"

QString csvField(const QString& field)
{
    const bool quoted = field.contains(u',') || field.contains(u'"') || field.contains(u'\n')
        || field.contains(u'\r');
    if (!quoted)
        return field;
    QString escaped = field;
    escaped.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

QByteArray csvDocument(const QList<QStringList>& records)
{
    QString text;
    for (const QStringList& record : records) {
        QStringList fields;
        for (const QString& field : record)
            fields.append(csvField(field));
        text += fields.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}
