#include "files/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace files {

FileDialogs standardFileDialogs()
{
    FileDialogs dialogs;
    // A name typed without ".txt" gets it, or the open dialog's "*.txt" filter would hide the file.
    dialogs.saveFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    dialogs.openFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    };
    return dialogs;
}

QString startFolder(const QString &lastUsed)
{
    if (!lastUsed.isEmpty())
        return lastUsed;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace files
