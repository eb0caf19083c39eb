#include "dialog_progress_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

QString DialogProgressDialogs::chooseCsvFile(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"),
        QDir::home().filePath(suggested), QStringLiteral("CSV (*.csv)"));
}

bool DialogProgressDialogs::confirmForget(QWidget* parent, const QString& title)
{
    return QMessageBox::question(parent, QStringLiteral("Forget this drill"),
               QStringLiteral("Forget every run of %1? This cannot be undone.").arg(title),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void DialogProgressDialogs::reportError(
    QWidget* parent, const QString& title, const QString& message)
{
    QMessageBox::warning(parent, title, message);
}
