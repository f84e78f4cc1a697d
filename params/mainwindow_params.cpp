#include "app/mainwindow.h"

#include "params/loadback.h"
#include "params/records.h"

#include <QDebug>
#include <QMessageBox>

void MainWindow::slotGetAllParams(QByteArray data)
{
    const QStringList paramsList = records::splitRecords(data);
    qDebug() << "paramsList";
    qDebug() << paramsList;
    paramsMap = records::toParamsMap(paramsList);
    for (auto it = paramsMap.cbegin(); it != paramsMap.cend(); ++it)
        qDebug() << "Read "
                 << "key " << it.key() << "value " << it.value();
}

bool MainWindow::recordsLoadBack(statusline::Outcome refused)
{
    const QString message = loadback::blockingMessage(heldRecordTexts());
    if (message.isEmpty())
        return true;
    QMessageBox::information(this, QString(), message, QMessageBox::Ok);
    reportStatus(refused, message);
    return false;
}
