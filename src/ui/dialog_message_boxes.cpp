#include "dialog_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

void DialogMessageBoxes::reportError(const QString& title, const QString& message)
{
    QMessageBox::critical(QApplication::activeWindow(), title, message);
}

void DialogMessageBoxes::showInformation(const QString& title, const QString& text)
{
    // Line ends come as CR LF; the box shows a lone LF as the line break.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox::information(QApplication::activeWindow(), title, shown);
}
