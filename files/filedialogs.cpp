#include "files/filedialogs.h"

#include "files/paramfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace files {

namespace {

bool mayReplace(QWidget *parent, const QString &path)
{
    QMessageBox box(QMessageBox::Question, QString(),
                    QCoreApplication::translate("MainWindow", "Файл «%1» уже существует. Заменить его?")
                        .arg(QFileInfo(path).fileName()),
                    QMessageBox::NoButton, parent);
    QPushButton *replace =
        box.addButton(QCoreApplication::translate("MainWindow", "Заменить"), QMessageBox::AcceptRole);
    box.setEscapeButton(
        box.addButton(QCoreApplication::translate("MainWindow", "Отмена"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == replace;
}

} // namespace

FileDialogs standardFileDialogs()
{
    FileDialogs dialogs;
    // A name typed without ".txt" gets it, or the open dialog's "*.txt" filter would hide the file. The
    // dialog asks before replacing the name it was given; a dotted name ("v1.2 final") gets ".txt" only
    // afterwards, so the question for that name is asked here, and "Отмена" goes back to the dialog as the
    // dialog's own question does.
    dialogs.saveFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) {
        QFileDialog dialog(parent, caption, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        while (dialog.exec() == QDialog::Accepted) {
            const QString chosen = dialog.selectedFiles().value(0);
            const QString name = paramfile::withTxtSuffix(chosen);
            if (name == chosen || !QFileInfo::exists(name) || mayReplace(parent, name))
                return name;
            dialog.selectFile(QFileInfo(chosen).fileName());
        }
        return QString();
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
