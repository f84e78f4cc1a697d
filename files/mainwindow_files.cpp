#include "app/mainwindow.h"

#include "files/paramfile.h"
#include "params/linecodec.h"
#include "params/records.h"

#include <QDebug>
#include <QFile>
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

    QStringList lines;
    for (const QString &key : records::paramsKeyList())
        lines.append(recordText(key));
    qDebug() << lines;

    switch (paramfile::save(fileName, paramfile::fileBytes(lines))) {
    case paramfile::SaveResult::Saved:
        reportStatus(statusline::Outcome::Saved, fileName);
        break;
    case paramfile::SaveResult::OpenFailed:
        qDebug() << "не удалось открыть файл";
        showFileMessage("Не удалось открыть файл");
        reportStatus(statusline::Outcome::FileNotOpened, fileName);
        break;
    case paramfile::SaveResult::WriteFailed:
        qDebug() << "не удалось сохранить файл";
        showFileMessage(tr("Не удалось сохранить файл"));
        reportStatus(statusline::Outcome::NotSaved, fileName);
        break;
    }
}

void MainWindow::on_toolButton_loadFromFile_clicked()
{
    const QString fileName = fileDialogs.openFileName(
        this, tr("Открыть файл параметров"), files::startFolder(lastFileFolder), tr("Текст (*.txt)"));
    qDebug() << "fileName" << fileName;
    if (fileName.isEmpty())
        return;
    lastFileFolder = QFileInfo(fileName).absolutePath();

    // Binary: fileText turns CR LF into LF itself, and text mode would tear UTF-16 apart on Windows.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "не удалось открыть файл";
        showFileMessage("Не удалось открыть файл");
        reportStatus(statusline::Outcome::FileNotOpened, fileName);
        return;
    }
    // Refused before it is read, and never read past the limit (a device may have no size at all).
    const qint64 size = file.size();
    const QByteArray bytes =
        size > paramfile::maxFileBytes ? QByteArray() : file.read(paramfile::maxFileBytes + 1);
    file.close();
    if (size > paramfile::maxFileBytes || bytes.size() > paramfile::maxFileBytes) {
        QMessageBox::information(this, QString(), tr("Файл больше 1 МБ: это не файл параметров"),
                                 QMessageBox::Ok);
        reportStatus(statusline::Outcome::FileNotRead, fileName);
        return;
    }
    const QString fileToString = paramfile::fileText(bytes);
    const QString excerpt = paramfile::debugExcerpt(fileToString);
    qDebug() << "fileToString" << excerpt;
    qDebug() << "fileToStringList" << excerpt.split('\n');

    const QString joined = paramfile::withoutLineBreaks(fileToString);
    qDebug() << "fileToString" << paramfile::debugExcerpt(joined);
    // The parser decodes with the line codec, so the text goes to it in that codec.
    const QByteArray set = linecodec::encode(joined);
    if (set.isEmpty()) {
        QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
        reportStatus(statusline::Outcome::FileNotRead, fileName);
        return;
    }
    slotGetAllParams(set);
    reportStatus(validateParamSet() ? statusline::Outcome::Loaded : statusline::Outcome::LoadedPartly,
                 fileName);
}
