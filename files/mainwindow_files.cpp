#include "app/mainwindow.h"

#include "files/paramfile.h"
#include "params/linecodec.h"
#include "params/records.h"

#include <QDebug>
#include <QDir>
#include <QFile>
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
    const QString fileName =
        fileDialogs.saveFileName(this, tr("Save File"), QDir::currentPath(), tr("Текст (*.txt)"));
    if (fileName.isEmpty())
        return;

    QStringList lines;
    for (const QString &key : records::paramsKeyList())
        lines.append(recordText(key));
    qDebug() << lines;

    switch (paramfile::save(fileName, paramfile::fileBytes(lines))) {
    case paramfile::SaveResult::Saved:
        break;
    case paramfile::SaveResult::OpenFailed:
        qDebug() << "не удалось открыть файл";
        showFileMessage("Не удалось открыть файл");
        break;
    case paramfile::SaveResult::WriteFailed:
        qDebug() << "не удалось сохранить файл";
        showFileMessage(tr("Не удалось сохранить файл"));
        break;
    }
}

void MainWindow::on_toolButton_loadFromFile_clicked()
{
    const QString fileName = fileDialogs.openFileName(this, tr("Открыть файл параметров"),
                                                      QDir::currentPath(), tr("Текст (*.txt)"));
    qDebug() << "fileName" << fileName;
    if (fileName.isEmpty())
        return;

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "не удалось открыть файл";
        showFileMessage("Не удалось открыть файл");
        return;
    }
    const QString fileToString = paramfile::fileText(file.readAll());
    qDebug() << "fileToString" << fileToString;
    qDebug() << "fileToStringList" << fileToString.split('\n');
    file.close();

    const QString joined = paramfile::withoutLineBreaks(fileToString);
    qDebug() << "fileToString" << joined;
    // The parser decodes with the line codec, so the text goes to it in that codec.
    const QByteArray bytes = linecodec::encode(joined);
    if (bytes.isEmpty()) {
        QMessageBox::information(this, QString(), tr("Ошибка чтения данных"), QMessageBox::Ok);
        return;
    }
    slotGetAllParams(bytes);
    validateParamSet();
}
