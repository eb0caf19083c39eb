#include "dialog_file_chooser.h"

#include <QApplication>
#include <QFileDialog>

QString DialogFileChooser::chooseFileToOpen(const QString& filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(), filter);
}
