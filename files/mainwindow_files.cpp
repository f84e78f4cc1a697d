#include "app/mainwindow.h"

#include "app/logging.h"
#include "files/paramfile.h"
#include "params/debugtext.h"
#include "params/records.h"

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
    const QString fileName = paramfile::withTxtSuffix(fileDialogs.saveFileName(
        this, tr("Save File"), files::startFolder(lastFileFolder), tr("Текст (*.txt)")));
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
    loadParamFile(fileName);
}

bool MainWindow::readParamFile(const QString &fileName, QString *text)
{
    // A FIFO, a device or a folder cannot be opened as a parameter file, and a FIFO is not even tried: its
    // open would hold the window until something wrote into it.
    const paramfile::ReadFile file =
        paramfile::isRegularFile(fileName) ? paramfile::read(fileName) : paramfile::ReadFile{};
    if (file.result == paramfile::ReadResult::NotOpened) {
        qCDebug(lcFiles) << "не удалось открыть файл";
        showFileMessage(paramfile::notOpenedMessage());
        reportStatus(statusline::Outcome::FileNotOpened, fileName);
        return false;
    }
    if (file.result == paramfile::ReadResult::TooLarge) {
        QMessageBox::information(this, QString(), paramfile::tooLargeMessage(), QMessageBox::Ok);
        reportStatus(statusline::Outcome::FileNotRead, fileName);
        return false;
    }
    *text = paramfile::fileText(file.bytes);
    return true;
}

bool MainWindow::holdsASet(const QString &fileName, const QString &text)
{
    if (!paramfile::setBytesOfText(text).isEmpty())
        return true;
    QMessageBox::information(this, QString(), paramfile::emptySetMessage(), QMessageBox::Ok);
    reportStatus(statusline::Outcome::FileNotRead, fileName);
    return false;
}

void MainWindow::loadParamFile(const QString &fileName)
{
    QString fileToString;
    if (!readParamFile(fileName, &fileToString))
        return;
    const QString excerpt = debugtext::excerpt(fileToString);
    qCDebug(lcFiles) << "fileToString" << excerpt;
    qCDebug(lcFiles) << "fileToStringList" << excerpt.split('\n');

    qCDebug(lcFiles) << "fileToString" << debugtext::excerpt(paramfile::withoutLineBreaks(fileToString));
    if (!holdsASet(fileName, fileToString))
        return;
    const bool editsKept = keepUnsavedEdits();
    // A file's set is no modem's: edits to come are kept under the modem at hand.
    formModem.clear();
    // Writing a file's values is the point: a write does not hold them against a read.
    forgetReadBaseline();
    // The parser decodes with the line codec, so the text goes to it in that codec.
    slotGetAllParams(paramfile::setBytesOfText(fileToString));
    // Said once, before the form shows the "?": the file itself keeps what it had.
    const QStringList replaced = paramfile::keysWithReplacedCharacters(fileToString);
    if (!replaced.isEmpty())
        QMessageBox::information(this, QString(), paramfile::replacedCharactersMessage(replaced),
                                 QMessageBox::Ok);
    reportStatus(validateParamSet() ? statusline::Outcome::Loaded : statusline::Outcome::LoadedPartly,
                 fileName);
    sayEditsKept(editsKept);
}
