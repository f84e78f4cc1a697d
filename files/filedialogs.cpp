#include "files/filedialogs.h"

#include <QFileDialog>

namespace files {

FileDialogs standardFileDialogs()
{
    FileDialogs dialogs;
    dialogs.saveFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) {
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    };
    dialogs.openFileName = [](QWidget *parent, const QString &caption, const QString &dir,
                              const QString &filter) {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    };
    return dialogs;
}

} // namespace files
