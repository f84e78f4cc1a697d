#include "app/mainwindow.h"

#include "app/logging.h"
#include "files/paramfile.h"

#include <QDebug>
#include <QFileInfo>
#include <QMessageBox>

// The file messages are plain boxes without parent or title.
static void showFileMessage(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
}

void MainWindow::setFileDialogs(files::FileDialogs dialogs)
{
    const files::FileDialogs standard = files::standardFileDialogs();
    fileDialogs.saveFileName = dialogs.saveFileName ? dialogs.saveFileName : standard.saveFileName;
    fileDialogs.openFileName = dialogs.openFileName ? dialogs.openFileName : standard.openFileName;
}

void MainWindow::on_toolButton_saveToFile_clicked()
{
    // A set that its own load would refuse is not saved: better said now than when the file is loaded.
    if (!recordsLoadBack(statusline::Outcome::SaveRefused))
        return;
    const QString fileName = fileDialogs.saveFileName(
        this, tr("Save File"), files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
    if (fileName.isEmpty())
        return;
    lastFileFolder = QFileInfo(fileName).absolutePath();

    const QStringList lines = heldRecordTexts();
    qCDebug(lcFiles) << lines;

    switch (paramfile::save(fileName, paramfile::fileBytes(lines))) {
    case paramfile::SaveResult::Saved:
        reportStatus(statusline::Outcome::Saved, fileName);
        break;
    case paramfile::SaveResult::OpenFailed:
        qCDebug(lcFiles) << "не удалось открыть файл";
        showFileMessage(paramfile::notOpenedMessage());
        reportStatus(statusline::Outcome::FileNotOpened, fileName);
        break;
    case paramfile::SaveResult::WriteFailed:
        qCDebug(lcFiles) << "не удалось сохранить файл";
        showFileMessage(tr("Не удалось сохранить файл"));
        reportStatus(statusline::Outcome::NotSaved, fileName);
        break;
    }
}

void MainWindow::on_toolButton_loadFromFile_clicked()
{
    const QString fileName = fileDialogs.openFileName(
        this, tr("Открыть файл параметров"), files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
    qCDebug(lcFiles) << "fileName" << fileName;
    if (fileName.isEmpty())
        return;
    lastFileFolder = QFileInfo(fileName).absolutePath();

    const paramfile::ReadFile file = paramfile::read(fileName);
    if (file.result == paramfile::ReadResult::NotOpened) {
        qCDebug(lcFiles) << "не удалось открыть файл";
        showFileMessage(paramfile::notOpenedMessage());
        reportStatus(statusline::Outcome::FileNotOpened, fileName);
        return;
    }
    if (file.result == paramfile::ReadResult::TooLarge) {
        QMessageBox::information(this, QString(), paramfile::tooLargeMessage(), QMessageBox::Ok);
        reportStatus(statusline::Outcome::FileNotRead, fileName);
        return;
    }
    const QString fileToString = paramfile::fileText(file.bytes);
    const QString excerpt = paramfile::debugExcerpt(fileToString);
    qCDebug(lcFiles) << "fileToString" << excerpt;
    qCDebug(lcFiles) << "fileToStringList" << excerpt.split('\n');

    qCDebug(lcFiles) << "fileToString" << paramfile::debugExcerpt(paramfile::withoutLineBreaks(fileToString));
    // The parser decodes with the line codec, so the text goes to it in that codec.
    const QByteArray set = paramfile::setBytesOfText(fileToString);
    if (set.isEmpty()) {
        QMessageBox::information(this, QString(), paramfile::emptySetMessage(), QMessageBox::Ok);
        reportStatus(statusline::Outcome::FileNotRead, fileName);
        return;
    }
    slotGetAllParams(set);
    reportStatus(validateParamSet() ? statusline::Outcome::Loaded : statusline::Outcome::LoadedPartly,
                 fileName);
}
